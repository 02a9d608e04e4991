// A module with a syntax error on its third line.
~fine(x)= x;
~broken(x)= x*-2;
