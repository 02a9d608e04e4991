// An operator after an operator: the two tokens are the range.
1;
2*-3;
// expect compile error 23 at 3:2-3
// expect stderr: 编译错误：不正确的运算方式或其他语法错误。
