// Classes: length and capacity (TMDLen gives the length and stores the
// capacity), member names from string literals (at most one per member).
// args: --load TmData32W.dll
i: (:c,cap)= c=new(class), TMDLen(c, &cap)*10+cap;
i: (:c,cap)= c=new(class, 3), TMDLen(c, &cap)*10+cap;
i: (:c,cap)= c=new(class, 2, 5), TMDLen(c, &cap)*10+cap;
i: (:c,cap)= c=new(class, 0, 3), TMDLen(c, &cap)*10+cap;
i: (:c,cap)= c=new(class, 3, EndType, "a", "b"), TMDLen(c, &cap)*10+cap;
i: (:c,cap)= c=new(class, 2, 4, EndType, "a", "b", "c"), TMDLen(c, &cap)*10+cap;
i: (:c,cap)= c=new(class, EndType, "x", "y"), TMDLen(c, &cap)*10+cap;
// A length or capacity of nothing gives 0 without a report.
i: new(class, 0);
i: new(class, -1);
err();
// expect: i: 0
// expect: i: 33
// expect: i: 25
// expect: i: 3
// expect: i: 33
// expect: i: 24
// expect: i: 22
// expect: i: 0
// expect: i: 0
// expect: 0

// The names are there: a member that exists reads its value (0, no object),
// one that does not is reported with the first member's name, if it has one.
i: (:c)= c=new(class, EndType, "x", "y"), get(c, "y");
err();
i: (:c)= c=new(class, 2, EndType, "a", 0), get(c, "b");
err();
i: (:c)= c=new(class, 2, EndType, 0, "b"), get(c, "zz");
err();
i: (:c)= c=new(class, 2, 3, EndType, "p", "q", "r"), get(c, "r");
err();
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: get：数据不存在。
// expect stdout: 函数名：get class：类“a”中没有类成员：b  错误代码：1
// expect stdout: 函数名：get class：找不到类成员：zz  错误代码：1
// expect stdout: 函数名：get class：类“p”中没有类成员：r  错误代码：1
