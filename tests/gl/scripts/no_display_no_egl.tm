// Without a display and without any EGL driver (the test runs with DISPLAY
// unset and no EGL vendor) the window thread cannot make its buffer: it
// shows the message and ends; the program and the shutdown go on cleanly.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:frames=2
// expect stderr: OpenTmgl: Can't Create A GL Device Context.
scene() = glClear();
gleDrawScene(HFor("scene", 2));
// expect: 0
// expect: 0
