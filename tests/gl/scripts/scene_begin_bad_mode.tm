// A primitive mode outside 0..9: reported once by the window thread, which then shows the no-signal
// picture until the error is cleared.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=3,size=64x48

scene() = glBegin(10);
gleDrawScene(HFor("scene", 2));
// expect: 0
// expect: 0
// expect: OpenTmGl发现运行错误！！！
// expect: 实数函数运行错误！函数名：glBegin，错误代码：2
// expect: 正在运行的实数表达式名称：scene  所在模块：-1
