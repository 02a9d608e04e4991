// A built-in reports its own error: max() without arguments.
max();
// expect: 0
// expect run error: max
// expect stdout: 错误代码：1
