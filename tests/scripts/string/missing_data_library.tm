// Started without the data library, the string library shows its message
// and refuses to start, so its functions are unknown.
// args: --load TmString32W.dll
i: 1;
// expect: i: 1
// expect stderr: TmString: 该库需要TmData32W.dll的支持！请先加载TmData32W.dll。
// expect stderr: OpenTM：扩展动态库初始化失败！: TmString32W.dll
