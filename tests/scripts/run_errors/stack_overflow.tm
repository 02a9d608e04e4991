// Recursion deeper than the stacks: the first formula's result still
// prints, the failing one yields 0, and the report names StackOverFlow.
forever(n)= forever(n+1);
1;
forever(0);
// expect: 1
// expect: 0
// expect run error: StackOverFlow
