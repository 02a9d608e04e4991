// break() belongs inside while or until.
if(1, break());
// expect compile error 15 at 2:7-11
