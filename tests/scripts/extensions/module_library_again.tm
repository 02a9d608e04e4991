// The module library is loaded already; naming it again is a duplicate, and
// the kernel itself is no extension library.
// args: --load MTamrix32W.dll --load Tamrix32W.dll
4;
// expect: 4
// expect stderr: OpenTM：扩展动态库重复加载，被忽略！: MTamrix32W.dll
// expect stderr: OpenTM：该库不是Tamrix扩展动态库！: Tamrix32W.dll
