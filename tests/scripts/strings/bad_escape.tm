// An unknown escape is refused from the backslash to the bad character;
// nothing runs when any formula fails to compile.
1;
"bad \q escape";
// expect compile error 5 at 4:6-7
// expect stderr: 编译错误：字符串中转义字符错误。
