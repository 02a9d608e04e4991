// FG_PLOTPOINTS 10^4 x 10^4 is held to 1000 x 1000 steps and a curve's
// 10^9 to 10^6, so the frame ends and the scene reports nothing.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen,frames=1,size=32x24
wave(x, y) = sin(x) * cos(y);
line(x) = x;
s() = fgPlot3d(HFor("wave", 2), 0, 1, 0, 1, FG_PLOTPOINTS, 10000, 10000, FG_NOAXES,
               FG_NODRAW, FG_NOMESH),
      fgPlot(HFor("line", 2), 0, 1, FG_PLOTPOINTS, 1e9, FG_NOAXES, FG_NODRAW);
gleDrawScene(HFor("s", 2));
// expect: 0
// expect: 0
