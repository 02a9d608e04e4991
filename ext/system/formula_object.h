// Formula objects: the data-library type "sys::tmfor", whose objects each
// hold at most one formula compiled at run time and delete it with
// themselves.
//
// A held formula is remembered with everything IsFor needs to tell whether
// it still lives, so nothing is ever done through a formula that somebody
// else deleted.  A formula that is running (the object was emptied or
// deleted from inside it) cannot be deleted yet; the library keeps it and
// deletes it at a later call or at shutdown.
#pragma once

#include <cstdint>
#include <string>

namespace syslib {

struct Library;

struct HeldFormula {
    int type = 0;             // 1 integer, 2 real, 3 complex; 0 none
    void *handle = nullptr;   // as the compiler gave it
    std::u16string name;      // empty for an anonymous formula
    int module = 0;
    void *data = nullptr;
    int lastParam = 0;
};

struct FormulaObject {
    HeldFormula formula;
};

// Registers the type with the data library; false when it refuses.
bool register_formula_type(Library &lib);
// Unregisters it, which deletes every data object (and so every formula
// object) first.
void unregister_formula_type(Library &lib);

// The formula object behind a handle, or null.
FormulaObject *formula_object(const Library &lib, uint32_t handle);

// Takes the formula just compiled (type, handle, data, parameter count).
void hold_formula(const Library &lib, FormulaObject &object, int type, void *handle, int module,
                  void *data, int lastParam);
// Deletes the formula an object holds (or defers it) and empties it.
void drop_formula(Library &lib, FormulaObject &object);
// The kernel's 32-bit handle of the held formula ("HFor" gives the same
// number), or 0 when it holds none or the formula is gone.
uint32_t held_formula_handle(const Library &lib, FormulaObject &object);
// Tries the deferred deletions again.
void retry_deferred(Library &lib);

}  // namespace syslib
