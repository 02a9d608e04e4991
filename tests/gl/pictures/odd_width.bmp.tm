// A picture whose rows are not a multiple of 4 bytes long (333 pixels of
// 3 bytes): saved as BMP, each row padded with zero bytes, read back by an
// independent reader.
// scene: frames=2,size=333x101
quad() =
    glClear(), glLoadIdentity(), glTranslated(0, 0, -3),
    glBegin(GL_QUADS),
    glColor3d(1, 0, 0), glVertex2d(-1, -0.5),
    glColor3d(0, 1, 0), glVertex2d(1, -0.5),
    glColor3d(0, 0, 1), glVertex2d(1, 0.5),
    glColor3d(1, 1, 1), glVertex2d(-1, 0.5),
    glEnd();
gleDrawScene(HFor("quad", 2));
