// gleSetWindowMode refuses the call with error 1.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=2,size=64x48
gleSetWindowMode(GLE_WindowBits, 24, 11, 0);
// expect: 0
// expect run error: gleSetWindowMode
// expect stdout: 错误代码：1
