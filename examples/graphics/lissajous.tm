// A Lissajous curve (sin 3t, sin 4t) with fgParaPlot, its grid box drawn
// smaller than the default and the curve in cyan.
//
//   tamrix --load TmData32W.dll --load OpenTmGl32W.dll lissajous.tm
//
// scene: frames=2,size=320x240
lx(t) = sin(3 * t);
ly(t) = sin(4 * t);
curve() =
    glClear(), glLoadIdentity(), glTranslated(2.5, 0.5, -14),
    glColor3d(0, 1, 1),
    fgParaPlot(HFor("lx", 2), HFor("ly", 2), 0, 6.283185307179586, FG_AXES, -4, 4, -4, 4);
gleWorkDrawScene(HFor("curve", 2));
