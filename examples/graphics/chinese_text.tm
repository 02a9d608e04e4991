// Chinese text in outline glyphs: glePrintCn draws a string character by
// character, a text-list block (gleCreatePrintCnList) keeps the glyphs of
// its string in display lists made once, and glePrintCnStr draws a string
// object of the data library.  glePrint draws with the 256 preloaded
// glyphs (Latin-1 only).
//
//   tamrix --load TmData32W.dll --load OpenTmGl32W.dll chinese_text.tm
//
// scene: frames=2,size=400x300
text(: static, block, words) =
    if(gleIsInitScene(), block = gleCreatePrintCnList("三维图形"),
       words = new(wchar_s, EndType, "字符串对象")),
    glClear(),
    glLoadIdentity(),
    glTranslated(-4.2, 2.1, -10),
    glColor3d(1, 0.85, 0.2),
    glePrintCn("你好，世界！"),
    glLoadIdentity(),
    glTranslated(-4.2, 0.6, -10),
    glColor3d(0.3, 0.9, 1),
    glePrintCnList(block),
    glLoadIdentity(),
    glTranslated(-4.2, -0.9, -10),
    glColor3d(1, 0.5, 0.7),
    glePrintCnStr(words),
    glLoadIdentity(),
    glTranslated(-4.2, -2.4, -10),
    glColor3d(0.9, 0.9, 0.9),
    glePrint("OpenTmGl 1.0");
gleWorkDrawScene(HFor("text", 2));
