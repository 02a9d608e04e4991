// gleRegConstState reports that every constant was registered; the
// constants carry the values of the OpenGL, GLU and window-system headers.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen
// expect stderr: OpenTmGl: 所有常量均注册成功！
gleRegConstState();
GL_TRIANGLE_STRIP + GL_COMPILE_AND_EXECUTE + GLU_INSIDE;
WS_POPUP;
WM_MBUTTONDBLCLK - WM_MOUSEMOVE;
GLE_WindowBits + FG_NOMESH;
// expect: 0
// expect: 104891
// expect: 2147483648
// expect: 9
// expect: 20
