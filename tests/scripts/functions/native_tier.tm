// A real formula evaluated thousands of times switches to native code after
// 2000 evaluations (here inside sum); nothing it computes may change when it
// does: sums, signed zeros, infinities, comparisons with NaN, stores into
// its parameters and statics.
sq(x)=(x-1)*(x-1);
sum("sq", 0, 4999, 1);
// expect: 41629177500
edge(x)=(x!=x)*1000+(x>x)*7+(x<0);
sum("edge", 0, 2999, 1);
// expect: 0
(:x)= x=0/0, edge(x);
// expect: 1000
neg(x)=-x;
sum("neg", 0, 2999, 1);
// expect: -4498500
(:x)= x=0, neg(x);
// expect: -0
(:x)= x=1e308, neg(x*10);
// expect: -inf
count(x:t,static,n)=n++;
sum("count", 1, 3000, 1);
// expect: 4498500
(:x)= count(x);
// expect: 3000
bump(x)=(x=x+1, x*2);
(:x)= x=1, bump(&x), x;
// expect: 2
// A square is the correctly rounded product x*x in every tier: the library's
// pow misrounds these three, so each test is 0 only if ^2 multiplies (through
// native code too once sum has run sq2 2000 times); a 2 arriving by a jump
// squares the same way.
sq2(x)=x^2-x*x;
sum("sq2", -7e21, -6.9e21, 4e16);
// expect: 0
(:x)= x=-6.987561253529781e+21, sq2(x);
// expect: 0
(:x)= x=8.898474730616984e+81, sq2(x);
// expect: 0
(:x)= x=-5.329363017388749e-120, x^which(x<0, 2, 3)-x*x;
// expect: 0
