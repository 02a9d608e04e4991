// A start argument with a word the library does not know: it names the
// word and fails to start.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=x
// expect stderr: OpenTmGl: OpenTmGl：无法识别的启动参数：frames=x
// expect stderr: OpenTM：扩展动态库初始化失败！
1;
// expect: 1
