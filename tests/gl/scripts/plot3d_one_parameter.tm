// A formula of one parameter passed to fgPlot3d: error 4.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=3,size=64x48
one(x) = x;
two(x, y) = x + y;
scene() = fgPlot3d(HFor("one", 2), 0, 1, 0, 1);
gleDrawScene(HFor("scene", 2));
// expect: 0
// expect: 0
// expect: OpenTmGl发现运行错误！！！
// expect: 实数函数运行错误！函数名：fgPlot3d，错误代码：4
// expect: 正在运行的实数表达式名称：scene  所在模块：-1
