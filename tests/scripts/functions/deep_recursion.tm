// 2 000 nested activations fit the default stacks, also in sanitized builds
// whose native frames are larger.
down(n)= which(n<=0, 0, 1+down(n-1));
down(2000);
// expect: 2000
