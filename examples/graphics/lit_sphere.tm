// A lit sphere made of quadrics, turning about its axis: a sphere, a ring
// (a disk with a hole) around it and a cylinder through it.  The quadric is
// made on the first frame of every window (gleIsInitScene), since a new
// window (F2) starts without objects; the angle is a static variable, so
// the sphere turns a little further every frame.
//
//   tamrix --load TmData32W.dll --load OpenTmGl32W.dll lit_sphere.tm
//
// scene: frames=12,size=320x240
sphere(: static, q, a) =
    if(gleIsInitScene(), q = gluNewQuadric(), gluQuadricNormals(q, GLU_SMOOTH)),
    glClearColor(0.05, 0.05, 0.15, 1),
    glClear(),
    glLoadIdentity(),
    glTranslated(0, 0, -7),
    glRotated(25, 1, 0, 0),
    glRotated(a, 0, 1, 0),
    glEnable(GL_LIGHTING),
    glEnable(16384),                // GL_LIGHT0, a light from the viewer
    glEnable(GL_COLOR_MATERIAL),
    glEnable(GL_NORMALIZE),
    glColor3d(0.25, 0.55, 1),
    gluSphere(q, 1.4, 32, 24),
    glColor3d(1, 0.7, 0.2),
    glPushMatrix(),
    glRotated(-90, 1, 0, 0),
    gluDisk(q, 1.8, 2.4, 48, 2),
    glPopMatrix(),
    glColor3d(0.8, 0.2, 0.2),
    glPushMatrix(),
    glRotated(-90, 1, 0, 0),
    glTranslated(0, 0, -2.2),
    gluCylinder(q, 0.12, 0.12, 4.4, 16, 1),
    glPopMatrix(),
    glDisable(GL_LIGHTING),
    a = a + 3;
gleWorkDrawScene(HFor("sphere", 2));
