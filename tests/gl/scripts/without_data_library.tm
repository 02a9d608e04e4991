// Started without the data library the graphics library shows its message
// and fails; none of its functions exists afterwards.
// args: --load OpenTmGl32W.dll
// expect stderr: OpenTmGl: 该库需要TmData32W.dll的支持！请先加载TmData32W.dll。
// expect stderr: OpenTM：扩展动态库初始化失败！: OpenTmGl32W.dll
glClear();
// expect compile error 25 at 6:1-7
