// Brackets of different kinds do not pair: from the open one to the wrong
// closing one.  A bracket that does not pair also keeps the statement from
// ending at ";", so it stands last.
1+2;
  (1+2]
// expect compile error 2 at 5:3-7
// expect stderr: 编译错误：括号不成对。
