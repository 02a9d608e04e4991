// FG_PLOTPOINTS of a surface with one of its two counts: error 1.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=3,size=64x48
one(x) = x;
two(x, y) = x + y;
scene() = fgPlot3d(HFor("two", 2), 0, 1, 0, 1, FG_PLOTPOINTS, 10);
gleDrawScene(HFor("scene", 2));
// expect: 0
// expect: 0
// expect: OpenTmGl发现运行错误！！！
// expect: 实数函数运行错误！函数名：fgPlot3d，错误代码：1
// expect: 正在运行的实数表达式名称：scene  所在模块：-1
