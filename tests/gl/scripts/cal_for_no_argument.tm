// gleCalFor refuses the call with error 1.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=2,size=64x48
gleCalFor();
// expect: 0
// expect run error: gleCalFor
// expect stdout: 错误代码：1
