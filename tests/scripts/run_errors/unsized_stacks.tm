// With --stack 0 the stacks stay unsized until the program sizes them, so
// the first recursive call fails.
// args: --stack 0
f(n)= which(n<=0, 0, f(n-1));
f(3);
// expect: 0
// expect run error: StackOverFlow
