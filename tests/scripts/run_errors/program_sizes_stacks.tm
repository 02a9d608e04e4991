// A program can size the stacks itself.
// args: --stack 0
f(n)= which(n<=0, 0, 1+f(n-1));
SetRealStackMax(1000);
f(50);
// expect: 1000
// expect: 50
