// The processor clock counts thousandths of a second, in both types.
// args: --load TmData32W.dll --load TmSystem32W.dll
i: sys::CLOCKS_PER_SEC;
// expect: i: 1000
sys::CLOCKS_PER_SEC;
// expect: 1000
i: (:t,s,i)= t=sys::clock(), i=0, s=0, while(i<200000, s=s+i, i++), (sys::clock()>=t) + (t>=0);
// expect: i: 2
(:t)= t=sys::clock(), t>=0;
// expect: 1
