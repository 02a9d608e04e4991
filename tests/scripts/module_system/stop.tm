// stop() ends the run after the formula that calls it.
1;
stop();
3;
// expect: 1
// expect: 0
