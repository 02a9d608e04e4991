// Started without the data library, the optimisation library shows the
// message the other libraries show and refuses to start, so its functions
// are unknown.
// args: --load TmOpt32W.dll
1;
// expect: 1
// expect stderr: TmOpt: 该库需要TmData32W.dll的支持！请先加载TmData32W.dll。
// expect stderr: OpenTM：扩展动态库初始化失败！: TmOpt32W.dll
