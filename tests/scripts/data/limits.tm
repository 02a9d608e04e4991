// The object limit counts creations since the last clear or recount; the
// recursion limit bounds class nesting in newcopy and copy.
// args: --load TmData32W.dll --load TmDataKit.dll
i: SetTMDMax(-1);
i: SetTMDMax(1);
i: (:a)= a=new(int32), delete(a), a!=0;
i: new(int32);
err();
// NowTMDNum recounts the live objects (none), so one more creation is fine.
i: NowTMDNum(0);
i: (:a)= a=new(int32), a!=0;
i: newcopy(new(int8));
err();
i: SetTMDMax(0);
i: new(class);
err();
// expect: i: 10000
// expect: i: 1
// expect: i: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: i: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: i: 0
// expect: 1
// expect run error: new：TmData数据个数已达设定的最大值。

// A deep copy stopped by the limit half-way leaves no half-made copy.
i: SetTMDMax(10000);
i: (:a)= DelAllTMD(), a=new(class, 3), kit::setp(a, 0, new(int8)), kit::setp(a, 1, new(int8)), kit::setp(a, 2, new(class, 1)), SetTMDMax(6), newcopy(a);
err();
i: NowTMDNum(0);
// expect: i: 10000
// expect: i: 0
// expect: 1
// expect:  ... ...
// expect: i: 4

// DelAllTMD deletes every object and counts how often it did (once above).
i: SetTMDMax(10000);
i: DelAllTMDNum();
i: (:a,b)= a=new(int32, 5), b=new(class, 1), kit::setp(b, 0, new(int8)), DelAllTMD(), TMDType(a, 0)+TMDType(b, 0);
i: DelAllTMDNum();
i: DelAllTMD();
i: DelAllTMDNum();
i: (:a)= a=new(int32, 5), get(a);
// expect: i: 10000
// expect: i: 1
// expect: i: 0
// expect: i: 2
// expect: i: 0
// expect: i: 2
// expect: i: 5

// The recursion limit: 100 at least.
i: SetTMDRecurMax(99);
i: SetTMDRecurMax(100);
i: chain(n:head,c,k)= head=new(class, 1), c=head, k=1, while(k<n, kit::setp(c, 0, new(class, 1)), c=kit::getp(c, 0), k++), head;
i: (:a)= a=chain(50), newcopy(a)!=0;
i: (:a,b)= a=chain(50), b=chain(50), copy(b, a);
err();
i: (:a)= a=chain(150), newcopy(a);
err();
i: (:a,b)= a=chain(150), b=chain(150), copy(b, a), kit::busy(a)+kit::busy(b);
err();
// expect: i: 1000
// expect: i: 100
// expect: i: 1
// expect: i: 0
// expect: 0
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect stdout: 函数名：newcopy：类层次太深，无法继续操作。  错误代码：1
// expect stdout: 函数名：copy：类层次太多，无法复制。  错误代码：1
