// Run-error reports carry the reason from the shipped error texts.
max();
// expect: 0
// expect run error: max
// expect stdout: 出错原因：至少需要一个参数
