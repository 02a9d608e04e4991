// String objects of the real data library: a one-dimensional character
// array is drawn; a two-dimensional one is refused with error 2.
// args: --load TmData32W.dll --load OpenTmGl32W.dll:offscreen,frames=2,size=32x32
s(x : static, a, b) = if(gleIsInitScene(), a = new(wchar_s, EndType, "中文"),
                         b = new(wchar_s, 2, 3)),
    glePrintCnStr(a), glePrintStr(a), glePrintStr(b);
gleDrawScene(HFor("s", 2));
// expect: 0
// expect: OpenTmGl发现运行错误！！！
// expect: 实数函数运行错误！函数名：glePrintStr，错误代码：2
// expect: 正在运行的实数表达式名称：s  所在模块：-1
