// A module file that does not exist.
1;
#USE# modules/no_such_module.tm;
// expect stderr: cannot read module
// expect stderr: no_such_module.tm
// expect stderr: 编译错误：找不到指定的模块或指定的模块编译错误。
// expect compile error -6 at 3:1-31
