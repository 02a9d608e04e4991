// Plot edge cases in one picture: fgMesh and fgMesh3d boxes with reversed
// label ranges; a constant function drawn flat through the middle; a curve
// over a reversed range whose NaN samples (sqrt of negatives, 0 times an
// overflowed exp) neither poison the range nor draw; a
// surface with FG_PLOTPOINTS below the minimum and a constant z.
// scene: frames=2,size=240x180
flat(x) = 2;
holes(x) = sqrt(x) * sin(2 * x) + 0 * exp(100 * x);
level(x, y) = 1;
scene(: a, b) =
    glClear(), glLoadIdentity(), glTranslated(0, 0, -30),
    glColor3d(0.5, 0.5, 0.5),
    a = 1, b = 0,
    fgMesh(-12, -2, 2, 12, a, b, 3, -3),
    glColor3d(1, 1, 0),
    fgPlot(HFor("flat", 2), -1, 1, FG_AXES, -12, -2, 2, 11, FG_NOAXES),
    glColor3d(0, 1, 0),
    fgPlot(HFor("holes", 2), 10, -2, FG_AXES, 2, 12, 2, 12, FG_PLOTPOINTS, 10),
    glColor3d(0.5, 0.5, 1),
    glPushMatrix(), glTranslated(-7, -9, 0), glRotated(-60, 1, 0, 0), glRotated(-30, 0, 0, 1),
    fgMesh3d(-3, 3, -3, 3, -3, 3, 1, 0, 1, 0, 1, 0),
    glPopMatrix(),
    glPushMatrix(), glTranslated(7, -9, 0), glRotated(-60, 1, 0, 0), glRotated(-30, 0, 0, 1),
    fgPlot3d(HFor("level", 2), 0, 1, 0, 1, FG_PLOTPOINTS, 2, 2, FG_AXES, -3, 3, -3, 3, -3, 3),
    glPopMatrix();
gleWorkDrawScene(HFor("scene", 2));
