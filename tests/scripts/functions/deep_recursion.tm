// 10 000 nested activations fit the default stacks.
down(n)= which(n<=0, 0, 1+down(n-1));
down(10000);
// expect: 10000
