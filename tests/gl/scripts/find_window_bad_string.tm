// gleFindWindow refuses the call with error 2.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=2,size=64x48
gleFindWindow(-1, "b");
// expect: 0
// expect run error: gleFindWindow
// expect stdout: 错误代码：2
