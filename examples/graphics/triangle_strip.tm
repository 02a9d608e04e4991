// A coloured triangle strip: a band of triangles whose corners carry
// colours that OpenGL blends across each triangle (smooth shading).
//
//   tamrix --load TmData32W.dll --load OpenTmGl32W.dll triangle_strip.tm
//
// scene: frames=2,size=320x240
strip(: i, x) =
    glClear(),
    glLoadIdentity(),
    glTranslated(0, 0, -6),
    glBegin(GL_TRIANGLE_STRIP),
    i = 0,
    while(i <= 8,
          x = -2.4 + i * 0.6,
          glColor3d(i / 8, 1 - i / 8, 0.5 + 0.5 * sin(i)),
          glVertex3d(x, 0.8 + 0.3 * sin(i), 0),
          glColor3d(1 - i / 8, 0.3, i / 8),
          glVertex3d(x + 0.3, -0.8 + 0.3 * cos(i), 0),
          i++),
    glEnd();
gleWorkDrawScene(HFor("strip", 2));
