// gleCalFor refuses the call with error 3.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=2,size=64x48
gleCalFor(12345, 1);
// expect: 0
// expect run error: gleCalFor
// expect stdout: 错误代码：3
