// Esc ends the window thread: the scene presses it itself (gleVirtualKey)
// in its second frame, which is then not shown, so the last picture is the
// first frame's (a frame limit of 6 would otherwise have shown the sixth).
// The parameter keeps the program itself from running the formula once.
// scene: frames=6,size=32x32
frames(unused: static, n) =
    n++,
    glClearColor(0, 0, n / 10, 1), glClear(),
    if(n >= 2, gleVirtualKey(27, 1));
gleDrawScene(HFor("frames", 2));
