// The scene takes long for each frame; the program ends meanwhile.  The
// host's deletion of the module waits for the frame (the workspace lock),
// the library's unload ends the window thread; everything ends cleanly.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,size=32x32
// expect stderr: OpenTmGl: 正在退出OpenTmGl!
slow(:i) = i = 0, while(i < 300000, i++), glClear();
gleDrawScene(HFor("slow", 2));
// expect: 0
// expect: 0
