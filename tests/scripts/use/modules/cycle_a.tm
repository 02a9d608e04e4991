#USE# cycle_b.tm;
~from_a()= 1;
