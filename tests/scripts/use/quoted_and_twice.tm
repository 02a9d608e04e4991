// A module used twice (and once through another module) is compiled once;
// the name may be quoted.
#USE# "modules/units.tm";
#USE# modules/units.tm;
#USE# modules/geometry.tm;
unit_e();
// expect: 2.718281828459045
