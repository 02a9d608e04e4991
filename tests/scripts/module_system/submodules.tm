// Formulas between #MODULE# and #END# share a module of their own: plain
// names stay inside it, names behind "~" are seen everywhere.
#MODULE#
  inner(x)= x*100;
  ~outer(x)= inner(x)+1;
#END#
outer(2);
// expect: 201
inner(x)= x;
inner(2);
// expect: 2
