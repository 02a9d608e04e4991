// Used by other programs; uses a module beside it, found relative to this
// file's directory.
#USE# units.tm;
~circle_area(r)= unit_pi()*r*r;
~cube(x)= x*x*x;
