// An interactive plot: the surface z = sin(r)/r, r = sqrt(x^2 + y^2), turns
// with Shift and the arrow keys (Shift+PageUp/PageDown about z, Shift+Home
// back to the start); the S key saves the picture as OpenTmGl-N.bmp.
//
//   tamrix --load TmData32W.dll --load OpenTmGl32W.dll rotating_surface.tm
//
// scene: frames=2,size=320x240
// (1e-9 keeps the centre sample off 0/0.)
ripple(x, y : r) = r = sqrt(x * x + y * y) + 1e-9, sin(r) / r;
scene() =
    glClear(), glLoadIdentity(), glTranslated(0, 0, -22),
    glRotated(-60 + gleAngle(1), 1, 0, 0), glRotated(gleAngle(2), 0, 1, 0),
    glRotated(-30 + gleAngle(3), 0, 0, 1),
    glColor3d(0.8, 0.8, 0.8),
    fgPlot3d(HFor("ripple", 2), -10, 10, -10, 10, FG_PLOTPOINTS, 40, 40),
    // The key stays down for several frames: release it after one save.
    if(gleVirtualKey(83), gleSaveScene(), gleVirtualKey(83, 0));
gleWorkDrawScene(HFor("scene", 2));
