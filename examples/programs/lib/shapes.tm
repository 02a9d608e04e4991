// Shapes, built on the constants module beside this file.
#USE# constants.tm;
~circle(r)= tau()*r*r/2;
~golden_rectangle(w)= w*w*golden();
// A private helper: only formulas of this module see it.
square(x)= x*x;
~hypotenuse(a,b)= sqrt(square(a)+square(b));
