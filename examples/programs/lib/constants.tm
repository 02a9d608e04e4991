// A module of public constants; "~" makes a formula visible from every
// module, so the programs that #USE# this file can call them.
~golden()= (1+sqrt(5))/2;
~tau()= 2*3.141592653589793;
