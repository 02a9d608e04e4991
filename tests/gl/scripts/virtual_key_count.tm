// gleVirtualKey refuses the call with error 2.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=2,size=64x48
gleVirtualKey(1, 2, 3);
// expect: 0
// expect run error: gleVirtualKey
// expect stdout: 错误代码：2
