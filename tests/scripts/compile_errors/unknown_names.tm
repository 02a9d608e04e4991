// An unknown function is reported at its name, in the line it stands on.
f(x)= x;

f(1) + nosuch(2);
// expect compile error 25 at 4:8-13
// expect stderr: 编译错误：不可识别函数名。
