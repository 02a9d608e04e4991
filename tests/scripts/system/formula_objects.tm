// A formula object deletes its formula with itself.  Recompiling into the
// same object 10^4 times leaves one formula (the name stays free for the
// next compile; leaks show in the sanitizer build).  A formula that
// recompiles its own object while it runs is deleted once it has returned,
// at the next compile.
// args: --load TmData32W.dll --load TmSystem32W.dll
i: (:o,a,b)= o=new(sys::tmfor), sys::comfor(o, "gone(x)=x", 2, 1, &a, &b), delete(o),
   HFor("gone", 2);
// expect: i: 0
i: (:o,a,b,i,failed)= o=new(sys::tmfor), i=0, failed=0,
   while(i<10000, failed=failed+(sys::comfor(o, "again(x)=x+1", 2, 1, &a, &b)!=0), i++), failed;
// expect: i: 0
r: (:r)= sys::call(2, HFor("again"), 1, &r), r;
// expect: 2
// The handle of a deleted formula is refused with code 6.
i: (:o,a,b,h,r)= o=new(sys::tmfor), sys::comfor(o, "old(x)=x", 1, 1, &a, &b), h=HFor("old"),
   sys::comfor(o, "new1(x)=x", 1, 1, &a, &b), sys::call(1, h, 5, &r);
err();
// expect: i: 0
// expect: 1
// expect stdout: 整数函数名：sys::call  错误代码：6
// expect run error: sys::call
i: :self(::o)= which(o==0, o=new(sys::tmfor), o);
i: (:a,b)= sys::comfor(self(),
   "selfish(o:a,b)= sys::comfor(o, \"successor(x)=x\", 1, 1, &a, &b), 7", 1, 1, &a, &b);
// expect: i: 0
// Just back from the call, "selfish" is still there: it was running.
i: (:r)= sys::call(1, HFor("selfish"), self(), &r),
   r*100 + (HFor("successor")!=0)*10 + (HFor("selfish")!=0);
// expect: i: 711
// The next compile deletes it.
i: (:a,b)= sys::comfor(new(sys::tmfor), "other(x)=x", 1, 1, &a, &b), HFor("selfish");
// expect: i: 0
// Deleting a formula runs its release pass (a real formula with `free`),
// which may compile into the same object again or delete the object: the
// formula compiled there is deleted too, and a vanished object is code 1.
i: :keeper(::k)= which(k==0, k=new(sys::tmfor), k);
i: :recompile(o:a,b)= sys::comfor(o, "second(x)=x", 2, 1, &a, &b);
i: (:a,b)= sys::comfor(keeper(), "first(x:static,free)= which(free, recompile(keeper()), x)", 2,
   1, &a, &b);
// expect: i: 0
i: (:a,b)= sys::comfor(keeper(), "third(x)=x", 2, 1, &a, &b)*100 + (HFor("first", 2)!=0)*10
   + (HFor("second", 2)!=0);
// expect: i: 0
i: (:a,b)= sys::comfor(keeper(), "fourth(x:static,free)= which(free, delete(keeper()), x)", 2, 1,
   &a, &b);
// expect: i: 0
i: (:a,b)= sys::comfor(keeper(), "fifth(x)=x", 2, 1, &a, &b) + HFor("fourth", 2) + HFor("fifth", 2);
err();
// expect: i: 0
// expect: 1
// expect stdout: 整数函数名：sys::comfor  错误代码：1
