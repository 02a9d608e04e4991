// Deleting a class deletes the objects its members own (attribute 1), a long
// chain included, without deep native recursion; cycles of owning classes
// end; members that are not owned stay.
// args: --load TmData32W.dll --load TmDataKit.dll
i: SetTMDMax(1000000);
// A chain of 100 000 classes, each owning the next, the last an int32.
i: (::head)= head=new(class, 1), head!=0;
i: (:c,n,k:head)= c=head, k=1, while(k<100000, n=new(class, 1), kit::setp(c, 0, n), c=n, k++), kit::setp(c, 0, new(int32, 1));
i: (::head)= NowTMDNum(0);
i: (::head)= delete(head);
i: NowTMDNum(0);
// expect: i: 1000000
// expect: i: 1
// expect: i: 1
// expect:  ... ...
// expect: i: 100001
// expect: i: 0
// expect: i: 0

// Two classes that own each other go together; so do three in a ring.
i: (:a,b)= a=new(class, 1), b=new(class, 1), kit::setp(a, 0, b), kit::setp(b, 0, a), delete(b), TMDType(a, 0)+TMDType(b, 0);
i: (:a,b,c)= a=new(class, 1), b=new(class, 1), c=new(class, 1), kit::setp(a, 0, b), kit::setp(b, 0, c), kit::setp(c, 0, a), delete(a), TMDType(a, 0)+TMDType(b, 0)+TMDType(c, 0);
// A ring of 3000 classes, longer than deletions nest before they are
// deferred.
i: (:first,c,n,k)= first=new(class, 1), c=first, k=1, while(k<3000, n=new(class, 1), kit::setp(c, 0, n), c=n, k++), kit::setp(c, 0, first), delete(c), TMDType(first, 0)+TMDType(c, 0);
// A class that holds itself.
i: (:a)= a=new(class, 2), kit::setp(a, 0, a), kit::setp(a, 1, new(int8)), delete(a), TMDType(a, 0);
// A member with attribute 0 is not deleted with its class.
i: (:a,x)= a=new(class, 1), x=new(int32, 7), kit::setp(a, 0, x), kit::seta(a, 0, 0), delete(a), get(x);
// A member value that names nothing is left alone.
i: (:a)= a=new(class, 1), kit::setp(a, 0, 123456789), delete(a), TMDType(a, 0);
// Deleting what is gone already, or was never there, does nothing.
i: (:a)= a=new(int32), delete(a), delete(a), delete(0), delete(-1);
err();
// expect: i: 0
// expect: i: 0
// expect: i: 0
// expect: i: 0
// expect: i: 7
// expect: i: 0
// expect: i: 0
// expect: 0
