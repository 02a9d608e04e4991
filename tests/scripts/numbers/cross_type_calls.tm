// Formulas of one type call formulas of the others.  The callee gets the
// caller's slots bit for bit and its result comes back bit for bit, so the
// caller converts with rtoi and itor on the way in and out.
i: twice(n)= n*2;
r: half(x)= x/2;
c: rot(z)= z*1i;
itor(twice(rtoi(21)));
// expect: 42
i: rtoi(half(itor(9)));
// expect: i: 4
c: rot(2);
// expect: c: 0+2i
// Without conversion the bits are read as the other type: 3.0 read as an
// integer is a large number, not 3.
itor(3) > 1e18;
// expect: 1
