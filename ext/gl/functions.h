// The library's script functions (their table is function_table.cpp).
// Each has the kernel's real-function form; the ones that draw act only on
// the window thread and otherwise return 0 without any effect.
#pragma once

#include "script_args.h"

#include "scene_state.h"

// The thread rule: off the window thread a drawing function returns 0 at
// once.
#define ON_WINDOW_THREAD()                        \
    do {                                          \
        if (!::gllib::on_window_thread()) return 0; \
    } while (0)

namespace gllib {

// OpenGL wrappers.
GLE_FUNCTION(sf_glClear);
GLE_FUNCTION(sf_glLoadIdentity);
GLE_FUNCTION(sf_glTranslated);
GLE_FUNCTION(sf_glColor3d);
GLE_FUNCTION(sf_glBegin);
GLE_FUNCTION(sf_glEnd);
GLE_FUNCTION(sf_glVertex3d);
GLE_FUNCTION(sf_glRotated);
GLE_FUNCTION(sf_glPointSize);
GLE_FUNCTION(sf_glLineWidth);
GLE_FUNCTION(sf_glLineStipple);
GLE_FUNCTION(sf_glEnable);
GLE_FUNCTION(sf_glDisable);
GLE_FUNCTION(sf_glPolygonMode);
GLE_FUNCTION(sf_glClearColor);
GLE_FUNCTION(sf_glCallList);
GLE_FUNCTION(sf_glListBase);
GLE_FUNCTION(sf_glCallLists);
GLE_FUNCTION(sf_glGenLists);
GLE_FUNCTION(sf_glNewList);
GLE_FUNCTION(sf_glEndList);
GLE_FUNCTION(sf_glVertex2d);
GLE_FUNCTION(sf_glEdgeFlag);
GLE_FUNCTION(sf_glPushMatrix);
GLE_FUNCTION(sf_glPopMatrix);
GLE_FUNCTION(sf_glScaled);
GLE_FUNCTION(sf_glDeleteLists);

// GLU quadrics.
GLE_FUNCTION(sf_gluNewQuadric);
GLE_FUNCTION(sf_gluQuadricDrawStyle);
GLE_FUNCTION(sf_gluQuadricNormals);
GLE_FUNCTION(sf_gluSphere);
GLE_FUNCTION(sf_gluQuadricOrientation);
GLE_FUNCTION(sf_gluQuadricTexture);
GLE_FUNCTION(sf_gluDeleteQuadric);
GLE_FUNCTION(sf_gluCylinder);
GLE_FUNCTION(sf_gluDisk);
GLE_FUNCTION(sf_gluPartialDisk);

// The scene: its start, navigation, keys and mouse.
GLE_FUNCTION(sf_gleWorkDrawScene);
GLE_FUNCTION(sf_gleDrawScene);
GLE_FUNCTION(sf_gleGetWindowSize);
GLE_FUNCTION(sf_gleGetMouseMsg);
GLE_FUNCTION(sf_gleAngle);
GLE_FUNCTION(sf_gleAngleRate);
GLE_FUNCTION(sf_gleAxisRate);
GLE_FUNCTION(sf_gleVirtualKey);
GLE_FUNCTION(sf_gleIsInitScene);
GLE_FUNCTION(sf_gleAxis);

// Text.
GLE_FUNCTION(sf_gleDeletePrintCnList);
GLE_FUNCTION(sf_gleCreatePrintCnList);
GLE_FUNCTION(sf_glePrintCnList);
GLE_FUNCTION(sf_gleAxesAngle);
GLE_FUNCTION(sf_glePrintCn);
GLE_FUNCTION(sf_glePrintCnStr);
GLE_FUNCTION(sf_glePrint);
GLE_FUNCTION(sf_glePrintStr);
GLE_FUNCTION(sf_gleClear);

// The window.
GLE_FUNCTION(sf_gleSetWindowMode);
GLE_FUNCTION(sf_gleSetWindowText);
GLE_FUNCTION(sf_gleShowCursor);
GLE_FUNCTION(sf_gleFindWindow);
GLE_FUNCTION(sf_gleMoveWindow);

// Utilities.
GLE_FUNCTION(sf_gleOr);
GLE_FUNCTION(sf_gleCalFor);
GLE_FUNCTION(sf_gleMessageBox);
GLE_FUNCTION(sf_gleRegConstState);
GLE_FUNCTION(sf_gleReSetPara);
// The plotting functions hold their places in the table; they draw nothing
// yet.
GLE_FUNCTION(sf_fgMesh);
GLE_FUNCTION(sf_fgMesh3d);
GLE_FUNCTION(sf_fgPlot);
GLE_FUNCTION(sf_fgParaPlot);
GLE_FUNCTION(sf_fgPlot3d);
GLE_FUNCTION(sf_fgParaPlot3d);

}  // namespace gllib
