// gleMessageBox refuses the call with error 2.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=2,size=64x48
gleMessageBox("text", 99999);
// expect: 0
// expect run error: gleMessageBox
// expect stdout: 错误代码：2
