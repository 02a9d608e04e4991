// while tests first, until tests last; both are 0 themselves.
(:i)= i=0, while(i<5, i++), i;
// expect: 5
(:i)= i=10, while(i<5, i++), i;
// expect: 10
(:i,s)= i=0, s=0, until(s=s+i, i++, i>=10), s;
// expect: 45
(:i)= i=10, until(i++, 1), i;
// expect: 11
while(0, 1);
// expect: 0
// Nested loops: a 10 x 10 table.
(:i,j,n)= i=0, n=0, while(i<10, j=0, while(j<10, n++, j++), i++), n;
// expect: 100
