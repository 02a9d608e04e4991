// a uses b uses a: the cycle is found where it closes, and each file on the
// way reports where it used the next.
#USE# modules/cycle_a.tm;
from_a();
// expect stderr: modules/cycle_b.tm:1:1: compile error -7
// expect stderr: modules/cycle_a.tm:1:1: compile error -7
// expect compile error -7 at 3:1-24
