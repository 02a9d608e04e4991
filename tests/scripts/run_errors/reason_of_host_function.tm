// LoadError with an argument that is no string of the formula.
LoadError(12345)
// expect: 0
// expect run error: LoadError
// expect stdout: 出错原因：参数不是本表达式中有效的字符串
