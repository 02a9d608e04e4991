// gleSetWindowMode: a negative width leaves the size alone (the start
// option's 160 x 120); a valid size given afterwards is taken.  Options set
// while the scene runs apply to the next window only.
// scene: frames=2,size=160x120
square() =
    glClear(), glLoadIdentity(), glTranslated(0, 0, -4),
    glColor3d(1, 1, 0), glBegin(GL_QUADS),
    glVertex2d(-1, -1), glVertex2d(1, -1), glVertex2d(1, 1), glVertex2d(-1, 1),
    glEnd(),
    gleSetWindowMode(GLE_WindowWidthAndHeight, 64, 64);
gleDrawScene(HFor("square", 2));
gleSetWindowMode(GLE_WindowWidthAndHeight, -200, 100);
