// A million passes: loops run in the evaluator, not in native recursion.
(:i,s)= i=0, s=0, while(i<1000000, s=s+i, i++), s;
// expect: 499999500000
