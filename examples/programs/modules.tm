// A program that uses modules: "#USE# file" compiles the file as a module of
// its own (relative to this file's directory), once, however often it is named.
#USE# lib/shapes.tm;
#USE# lib/constants.tm;

circle(1);
hypotenuse(3, 4);
golden_rectangle(1)/golden();

// Formulas between #MODULE# and #END# share a module of their own.
#MODULE#
  :scale()= 10;    // ":" defines without running
  ~scaled(x)= x*scale();
#END#
scaled(golden());
// expect: 3.141592653589793
// expect: 5
// expect: 1
// expect: 16.18033988749895
