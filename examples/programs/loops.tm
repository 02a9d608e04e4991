// Loops are calls of while(condition, body...) and until(body..., condition).
// A formula's automatic variables follow the first ':' in its header.

// Newton's method for the square root, until two steps agree.
root(a:x,last)= x=a, until(last=x, x=(x+a/x)/2, abs(x-last)<1e-15), x;
root(2);

// Steps of the Collatz sequence from n down to 1.
i: collatz(n:steps)= steps=0, while(n!=1, n=which(n%2==0, n/2, 3*n+1), steps++), steps;
i: collatz(27);

// The sum of the odd numbers below 100, skipping the even ones with continue().
(:k,s)= k=0, s=0, while(k<100, k++, if(fmod(k, 2)==0, continue()), s=s+k), s;
// expect: 1.414213562373095
// expect: i: 111
// expect: 2500
