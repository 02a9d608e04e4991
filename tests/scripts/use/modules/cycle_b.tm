#USE# cycle_a.tm;
~from_b()= 2;
