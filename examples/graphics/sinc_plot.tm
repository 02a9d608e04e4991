// y = sin(x)/x over -20 … 20 with fgPlot; FG_Y fixes the value range so
// the labels read -0.30 … 1.00, and x = 0 (0/0) leaves one gap.
//
//   tamrix --load TmData32W.dll --load OpenTmGl32W.dll sinc_plot.tm
//
// scene: frames=2,size=320x240
sinc(x) = sin(x) / x;
curve() =
    glClear(), glLoadIdentity(), glTranslated(3.5, 0.5, -17),
    glColor3d(1, 1, 0),
    fgPlot(HFor("sinc", 2), 20, -20, FG_Y, -0.3, 1, FG_PLOTPOINTS, 400);
gleWorkDrawScene(HFor("curve", 2));
