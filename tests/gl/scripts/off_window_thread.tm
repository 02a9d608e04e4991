// Drawing functions called outside the scene (here on the host's thread)
// do nothing and return 0 without a run error, bad arguments included;
// the functions marked for any thread work here too.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=2,size=64x48
glClear();
glBegin(99);
glEnd();
glVertex3d(1, 2, 3);
glGenLists(5);
gluNewQuadric();
gluSphere(12345, 1, 10, 10);
glePrint("abc");
glePrintCnList(7);
gleSaveScene();
gleSetWindowText(0);
gleMoveWindow(1, 2);
gleGetWindowSize(1, 2);
// expect: 0
// expect: 0
// expect: 0
// expect: 0
// expect: 0
// expect: 0
// expect: 0
// expect: 0
// expect: 0
// expect: 0
// expect: 0
// expect: 0
// expect: 0
gleOr(1, 2, 4.9, 8);
gleAngle(1, 30);
gleAngle(1);
gleAngle(4);
gleAxis(1, 2, 3);
gleAxis(3);
gleVirtualKey(65, 1);
gleVirtualKey(65);
gleVirtualKey(65, 0);
gleIsInitScene();
gleIsInitScene();
gleSetWindowMode(GLE_WindowWidthAndHeight, -5, 100, GLE_WindowBits, 24);
// expect: 15
// expect: 30
// expect: 30
// expect: 0
// expect: 0
// expect: 3
// expect: 1
// expect: 1
// expect: 0
// expect: 1
// expect: 0
// expect: 0
