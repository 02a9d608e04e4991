// Built-ins that evaluate a formula at many points switch to its native
// batch or line form once the formula has native code (2000 evaluations
// in); the values, their order in the total, statics, assigned parameters
// and the point where a run error stops the walk stay what the interpreter
// gives.
s2(x,y:static,n)=which(x<0, n, (n++, x=x*2, x*y));
sum("s2", 0, 99, 1, 0, 49, 1);
// expect: 12127500
s2(-1, 0);
// expect: 5000
near1(x)=1+x*1e-9+x*x*1e-13;
pro("near1", 1, 3000, 1);
// expect: 1.005416560081658
DataSum("s2", 1,2,3,4,5,6);
// expect: 88
bell(x)=exp(-x*x)+x^2;
SimpIntegrate(0, 3, 1e-13, "bell");
// expect: 9.886207348259525
SimpIntegrate(0, 3, 1e-13, "bell");
// expect: 9.886207348259525
// Grids of three and four parameters (the walk's unrolled and general
// forms), an innermost axis of one point, lines longer and shorter than a
// batch.
g3(x,y,z)=x*1e6+y*1e3+z+x*y/(z+1);
sum("g3", 0, 9, 1, 0, 19, 1, 0, 29, 1);
// expect: 27057121157.13996
sum("g3", 5, 5, 1, 0, 99, 1, 0, 29, 1);
// expect: 15148642375.93149
g4(x,y,z,w)=x-y*z+w/3;
sum("g4", 0, 0.5, 0.01, 0, 2, 1, 1, 3, 1, -1, 1, 0.5);
// expect: -4016.250000000002
pro("g4", 1, 1, 1, 0.0001, 0.0001, 1, 0.25, 0.75, 0.0001, 0, 0, 1);
// expect: 0.7787565697372272
// A formula assigning a parameter other than the first (a line of the grid
// is then not walked by native code that writes only the first), and an
// infinite step, which leaves one point on its axis.
y2(x,y)=(y++, y=y*2+x, x+y);
sum("y2", 0, 99, 1, 0, 49, 1);
// expect: 750000
sum("y2", 2, 3, 1/0, 0, 3, 1);
// expect: 36
sum("g3", 0.5, 2, 1/0, 1, 2, 1, 0, 2, 1);
// expect: 3009008.75
// A run error at the 2601st point ends the walk there: no later point is
// evaluated, and the result is 0.  (The error stays pending, so this comes last.)
seen(x:static,n)=which(x<0, n, (n++, which(x<2600, x)));
sum("seen", 0, 4999, 1);
// expect: 0
seen(-1);
// expect: 2601
// expect run error: which
