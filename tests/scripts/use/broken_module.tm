// A module that does not compile: its own error with its own position, then
// the program's.
#USE# modules/broken.tm;
fine(1);
// expect stderr: modules/broken.tm:3:14: compile error 23 at 3:14-3:15
// expect compile error -6 at 3:1-23
