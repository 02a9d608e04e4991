// err() prints the pending run error and clears it; the run goes on, and a
// reported error makes the exit status 70.
1;
(:x)= x=0, which(x, 1);
err();
7;
// expect: 1
// expect: 0
// expect: 2
// expect: 7
// expect run error: which
