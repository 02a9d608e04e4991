// Nothing but comments: no formula.
/* a block
   /* nested */
   still inside */
// expect compile error 3 at 1:1
