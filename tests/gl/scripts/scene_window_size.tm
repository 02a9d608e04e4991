// gleGetWindowSize writes the client size into variables passed by
// reference; the scene reports what it saw through a message box (which
// tamrix prints on standard error).
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=1,size=32x24
// expect stderr: OpenTmGl: size 32 x 24
s(x : w, h) = gleGetWindowSize(&w, &h),
    if((w == 32) * (h == 24), gleMessageBox("size 32 x 24", "OpenTmGl"));
gleDrawScene(HFor("s", 2));
// expect: 0
