// The utilities that work on any thread: a formula evaluated by name (its
// parameters by reference), message boxes through the host (tamrix prints
// them on standard error and answers OK), the variables of gleReSetPara
// listed on standard error without a dialog.
// args: --load @LIBS@/libTmFakeData.so --load OpenTmGl32W.dll:offscreen
// expect stderr: 标题: 文本
// expect stderr: gleReSetPara: speed = 2.5
// expect stderr: gleReSetPara: 角度 = -1
add(x, y) = x + y;
swap(x, y : t) = t = x, x = y, y = t, x * 10 + y;
gleCalFor("add", 2, 3);
gleCalFor("swap", 1, 2);
gleMessageBox("文本", "标题");
gleMessageBox("文本", "标题", 4);
(: a, b) = a = 2.5, b = -1, gleReSetPara("speed", a, "角度", b), a + b;
// expect: 5
// expect: 21
// expect: 1
// expect: 6
// expect: 1.5
