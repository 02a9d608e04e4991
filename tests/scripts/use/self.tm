// A program that uses itself.
#USE# self.tm;
1;
// expect compile error -7 at 2:1-13
// expect stderr: 编译错误：递归调用指定的模块。
