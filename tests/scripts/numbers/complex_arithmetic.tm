// Complex formulas: results print as "c: re+imi"; an imaginary part of zero
// prints the real part only.
c: (1+2i)*(3-1i);
// expect: c: 5+5i
c: (1+2i)-(1+5i);
// expect: c: 0-3i
c: 1i*1i;
// expect: c: -1
c: (:z)= z=3+4i, abs(z);
// expect: c: 5
c: (:z)= z=1+1i, z*con(z);
// expect: c: 2
c: (2+0i)/(0+1i);
// expect: c: 0-2i
complex:
(:z)= z=0.5+0.25i, z+z;
// expect: c: 1+0.5i
