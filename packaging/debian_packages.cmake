# Debian packages: `cpack -G DEB` in a build configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/packages.sh does both).  Shared-library
# dependencies come from dpkg-shlibdeps; the packages depend on each other
# at exactly this version, since they are built together.
set(CPACK_PACKAGE_NAME tamrix)
set(CPACK_PACKAGE_VENDOR "Tamrix")
set(CPACK_PACKAGE_CONTACT "Tamrix developers <tamrix@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Formula compiler and evaluator")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
# Debug information stays in the build; the packages carry stripped files.
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime dev)
if(TARGET OpenTm32W)
  list(APPEND CPACK_COMPONENTS_ALL editor)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(tamrix_exact_version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME tamrix)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "Formula compiler and evaluator: kernel, libraries and the tamrix program\n"
    "The kernel compiles formulas for 64-bit integers, doubles and complex numbers\n"
    "into byte code and evaluates them; the module, data, string, system,\n"
    "optimisation and graphics libraries extend it; tamrix runs whole programs.")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION science)

set(CPACK_DEBIAN_EDITOR_PACKAGE_NAME tamrix-editor)
set(CPACK_COMPONENT_EDITOR_DESCRIPTION
    "Desktop editor for Tamrix programs (OpenTm32W)\n"
    "Edits workspaces and source files, compiles and runs them and shows results\n"
    "and run-time errors.")
set(CPACK_DEBIAN_EDITOR_PACKAGE_DEPENDS "tamrix (= ${tamrix_exact_version})")
set(CPACK_DEBIAN_EDITOR_PACKAGE_SECTION editors)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME tamrix-dev)
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "Development files for embedding the Tamrix kernel\n"
    "Headers, the CMake package (find_package(Tamrix)) and tamrix.pc.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "tamrix (= ${tamrix_exact_version})")
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)

include(CPack)
