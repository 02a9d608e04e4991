// Handles of deleted objects, of objects cleared by DelAllTMD, and numbers
// that never named an object are refused by every function; nothing else
// is touched.
// args: --load TmData32W.dll
i: (::gone,cleared)= gone=new(int32_s, 3), delete(gone), cleared=new(class, 2), DelAllTMD(), TMDType(gone, 0)+TMDType(cleared, 0);
i: (::gone)= get(gone, 0);
err();
i: (::cleared)= get(cleared, "x");
err();
i: get(305419896);
err();
i: (::gone)= set(gone, 0, 1);
err();
i: set(-1, 1);
err();
i: (::gone)= copy(gone, new(int32_s, 3));
err();
i: (::cleared)= copy(new(class, 2), cleared);
err();
i: (::gone)= newcopy(gone);
i: (::cleared)= newcopy(cleared, 0, 1);
err();
i: (::gone)= TMDLen(gone);
err();
i: (::gone)= TMDToStr(gone, new(wchar_s, 80));
err();
i: (::gone)= TMDToStr(int32, 1, gone);
err();
i: (::gone)= StrToTMD(gone, int32, 0);
err();
i: (::gone,cleared)= delete(gone), delete(cleared), delete(305419896), delete(0);
err();
// Just read, then cleared or deleted: the lookup does not remember it.
i: (:h)= h=new(int32, 5), get(h), DelAllTMD(), get(h);
err();
i: (:h)= h=new(int32, 5), get(h), delete(h), set(h, 6);
err();
// expect: i: 0
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: i: 0
// expect: 1
// expect: i: -1
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 0
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: get：数据不存在。
// expect stdout: 函数名：set：数据不存在。  错误代码：1
// expect stdout: 函数名：copy：源操作数或者目的操作数不存在。  错误代码：1
// expect stdout: 函数名：TMDLen：未知数据类型或不能获得该数据长度。  错误代码：1
// expect stdout: 函数名：TMDToStr：找不到字符数组。  错误代码：1
// expect stdout: 函数名：StrToTMD：找不到字符数组。  错误代码：1
