#include <vector>

#include "functions.h"
#include "platform/message_box.h"
#include "registration_tables.h"
#include "save_scene.h"

namespace gllib {

namespace {

constexpr int kAny = -2;

// Registration order is part of the library's contract.
constexpr FunctionRow kFunctions[] = {
    {u"gleWorkDrawScene", sf_gleWorkDrawScene, 0},
    {u"gleDrawScene", sf_gleDrawScene, 0},
    {u"glClear", sf_glClear, kAny},
    {u"glLoadIdentity", sf_glLoadIdentity, kAny},
    {u"glTranslated", sf_glTranslated, 2},
    {u"glColor3d", sf_glColor3d, 2},
    {u"glBegin", sf_glBegin, 0},
    {u"glEnd", sf_glEnd, -1},
    {u"glVertex3d", sf_glVertex3d, 2},
    {u"glRotated", sf_glRotated, 3},
    {u"glPointSize", sf_glPointSize, 0},
    {u"glLineWidth", sf_glLineWidth, 0},
    {u"glLineStipple", sf_glLineStipple, 1},
    {u"glEnable", sf_glEnable, 0},
    {u"glDisable", sf_glDisable, 0},
    {u"glPolygonMode", sf_glPolygonMode, 1},
    {u"glClearColor", sf_glClearColor, 3},
    {u"glCallList", sf_glCallList, 0},
    {u"glListBase", sf_glListBase, 0},
    {u"glCallLists", sf_glCallLists, kAny},
    {u"glGenLists", sf_glGenLists, 0},
    {u"glNewList", sf_glNewList, 1},
    {u"glEndList", sf_glEndList, -1},
    {u"glVertex2d", sf_glVertex2d, 1},
    {u"glEdgeFlag", sf_glEdgeFlag, 0},
    {u"glPushMatrix", sf_glPushMatrix, -1},
    {u"glPopMatrix", sf_glPopMatrix, -1},
    {u"glScaled", sf_glScaled, 2},
    {u"glDeleteLists", sf_glDeleteLists, 1},
    {u"gluNewQuadric", sf_gluNewQuadric, -1},
    {u"gluQuadricDrawStyle", sf_gluQuadricDrawStyle, 1},
    {u"gluQuadricNormals", sf_gluQuadricNormals, 1},
    {u"gluSphere", sf_gluSphere, 3},
    {u"gluQuadricOrientation", sf_gluQuadricOrientation, 1},
    {u"gluQuadricTexture", sf_gluQuadricTexture, 1},
    {u"gluDeleteQuadric", sf_gluDeleteQuadric, 0},
    {u"gluCylinder", sf_gluCylinder, 5},
    {u"gluDisk", sf_gluDisk, 4},
    {u"gluPartialDisk", sf_gluPartialDisk, 6},
    {u"gleDeletePrintCnList", sf_gleDeletePrintCnList, 0},
    {u"gleCreatePrintCnList", sf_gleCreatePrintCnList, 0},
    {u"glePrintCnList", sf_glePrintCnList, 0},
    {u"gleGetWindowSize", sf_gleGetWindowSize, 1},
    {u"gleGetMouseMsg", sf_gleGetMouseMsg, 2},
    {u"gleAxesAngle", sf_gleAxesAngle, kAny},
    {u"gleAngle", sf_gleAngle, kAny},
    {u"gleAngleRate", sf_gleAngleRate, 0},
    {u"gleAxisRate", sf_gleAxisRate, 0},
    {u"glePrintCn", sf_glePrintCn, 0},
    {u"glePrintCnStr", sf_glePrintCnStr, 0},
    {u"glePrint", sf_glePrint, 0},
    {u"glePrintStr", sf_glePrintStr, 0},
    {u"gleVirtualKey", sf_gleVirtualKey, kAny},
    {u"gleIsInitScene", sf_gleIsInitScene, -1},
    {u"gleAxis", sf_gleAxis, kAny},
    {u"gleClear", sf_gleClear, kAny},
    {u"gleSetWindowMode", sf_gleSetWindowMode, kAny},
    {u"gleSetWindowText", sf_gleSetWindowText, 0},
    {u"gleShowCursor", sf_gleShowCursor, 0},
    {u"gleOr", sf_gleOr, kAny},
    {u"gleCalFor", sf_gleCalFor, kAny},
    {u"gleMessageBox", sf_gleMessageBox, kAny},
    {u"gleFindWindow", sf_gleFindWindow, kAny},
    {u"gleRegConstState", sf_gleRegConstState, -1},
    {u"gleMoveWindow", sf_gleMoveWindow, kAny},
    {u"gleSaveScene", gle_save_scene, -1},
    {u"fgMesh", sf_fgMesh, 7},
    {u"fgMesh3d", sf_fgMesh3d, 11},
    {u"fgPlot", sf_fgPlot, kAny},
    {u"fgParaPlot", sf_fgParaPlot, kAny},
    {u"fgPlot3d", sf_fgPlot3d, kAny},
    {u"fgParaPlot3d", sf_fgParaPlot3d, kAny},
    {u"gleReSetPara", sf_gleReSetPara, kAny},
};
static_assert(std::size(kFunctions) == 73);

constexpr char16_t kFunctionFailed[] = u"OpenTmGl注册函数失败！";
constexpr int kRealFunction = 5;
constexpr int kRealConst = 8;

std::vector<bool> g_functionDone;
std::vector<bool> g_constantDone;

}  // namespace

std::span<const FunctionRow> function_rows() { return kFunctions; }

void register_functions(Library &lib) {
    g_functionDone.assign(std::size(kFunctions), false);
    for (size_t i = 0; i < std::size(kFunctions); ++i) {
        const FunctionRow &row = kFunctions[i];
        const int rc = lib.kernel.SetFunction(kRealFunction, row.name,
                                              reinterpret_cast<void *>(row.entry), row.lastParam);
        g_functionDone[i] = rc == 0;
        if (rc != 0) platform::message_box(row.name, kFunctionFailed, platform::kBoxIconError);
    }
}

void register_constants(Library &lib) {
    const auto rows = constant_rows();
    g_constantDone.assign(rows.size(), false);
    for (size_t i = 0; i < rows.size(); ++i) {
        g_constantDone[i] = lib.kernel.SetConst(kRealConst, rows[i].name, &rows[i].value) == 0;
    }
}

void unregister_all(Library &lib) {
    for (size_t i = g_functionDone.size(); i-- > 0;) {
        if (g_functionDone[i]) lib.kernel.DeleteConstOrFunction(kRealFunction, kFunctions[i].name);
    }
    const auto rows = constant_rows();
    for (size_t i = g_constantDone.size(); i-- > 0;) {
        if (g_constantDone[i]) lib.kernel.DeleteConstOrFunction(kRealConst, rows[i].name);
    }
    g_functionDone.clear();
    g_constantDone.clear();
}

bool constant_registered(size_t i) { return i < g_constantDone.size() && g_constantDone[i]; }

}  // namespace gllib
