// Copying a chain deeper than recursive copies go, with the recursion limit
// raised as far as a script can: refused with a report, nothing crashes,
// and what was made is cleaned up with the rest.
// args: --load TmData32W.dll --load TmDataKit.dll
i: SetTMDMax(1000000);
i: SetTMDRecurMax(2000000000);
i: chain(n:head,c,k)= head=new(class, 1), c=head, k=1, while(k<n, kit::setp(c, 0, new(class, 1)), c=kit::getp(c, 0), k++), head;
i: (:a)= a=chain(20000), newcopy(a);
(:x)= x=err(), x;
i: (:a,b)= a=chain(20000), b=chain(20000), copy(b, a), kit::busy(a)+kit::busy(b);
(:x)= x=err(), x;
// A chain 100 000 long is still alive when the library stops at the end.
i: chain(100000)!=0;
// expect: i: 1000000
// expect: i: 2000000000
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 1
// expect run error
