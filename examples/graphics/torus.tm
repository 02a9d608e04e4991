// A torus with fgParaPlot3d: (R + r cos v) cos u, (R + r cos v) sin u,
// r sin v, without the grid box.
//
//   tamrix --load TmData32W.dll --load OpenTmGl32W.dll torus.tm
//
// scene: frames=2,size=320x240
tx(u, v) = (2 + cos(v)) * cos(u);
ty(u, v) = (2 + cos(v)) * sin(u);
tz(u, v) = sin(v);
surface() =
    glClear(), glLoadIdentity(), glTranslated(0, 0, -20),
    glRotated(-55, 1, 0, 0),
    fgParaPlot3d(HFor("tx", 2), HFor("ty", 2), HFor("tz", 2), 0, 6.283185307179586, 0, 6.283185307179586,
                 FG_NOAXES, FG_PLOTPOINTS, 40, 20, FG_AXES, -5, 5, -5, 5, -2.5, 2.5);
gleWorkDrawScene(HFor("surface", 2));
