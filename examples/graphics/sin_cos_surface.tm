// The surface z = sin(x)·cos(y) with fgPlot3d, tilted so that the three
// grid planes and the labels show; vertices coloured by position.
//
//   tamrix --load TmData32W.dll --load OpenTmGl32W.dll sin_cos_surface.tm
//
// scene: frames=2,size=320x240
wave(x, y) = sin(x) * cos(y);
surface() =
    glClear(), glLoadIdentity(), glTranslated(0, 0, -22),
    glRotated(-65, 1, 0, 0), glRotated(-35, 0, 0, 1),
    glColor3d(1, 1, 1),
    fgPlot3d(HFor("wave", 2), -3, 3, -3, 3, FG_PLOTPOINTS, 30, 30);
gleWorkDrawScene(HFor("surface", 2));
