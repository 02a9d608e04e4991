// A program uses a module that uses another one.
#USE# modules/geometry.tm;
circle_area(2)/unit_pi();
// expect: 4
cube(3);
// expect: 27
