// A qualified name reaches only exported formulas.
shown(x)= x;
hidden(x)= x;
!Module("Box");
!OutFun("shown");
Box::shown(1);
Box::hidden(1);
// expect compile error 25 at 7:1-7:11
