// "#USE#" without a module name.
1;
#USE#   ;
2;
// expect compile error -5
// expect stderr: 编译错误：缺少模块名。
