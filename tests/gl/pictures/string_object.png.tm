// Text from string objects (one-dimensional character arrays of the data
// library), with the preloaded and the on-demand glyphs; the status lines of
// gleAxesAngle show the axes and angles set after the scene started
// (starting a scene resets them).  glLoadIdentity with an argument does not
// move by the axes.
// scene: frames=2,size=320x240
words(: static, a, b) =
    if(gleIsInitScene(), a = test_str("Tamrix"), b = test_str("图形")),
    glClear(), glLoadIdentity(0), glTranslated(-3, 0.5, -8),
    glColor3d(0.4, 1, 0.4), glePrintStr(a),
    glLoadIdentity(0), glTranslated(-3, -1.5, -8),
    glColor3d(1, 0.5, 0.5), glePrintCnStr(b),
    glColor3d(1, 1, 1), gleAxesAngle();
gleDrawScene(HFor("words", 2));
gleAxis(1.5, -2, 3.25);
gleAngle(10, 20, 30);
