// A plain name inside #MODULE# ... #END# is invisible after it.
#MODULE#
  hidden(x)= x;
#END#
hidden(1);
// expect compile error 25 at 5:1-6
