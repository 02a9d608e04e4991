// Used by other programs: public constants as formulas.
~unit_pi()= 3.141592653589793;
~unit_e()= exp(1);
