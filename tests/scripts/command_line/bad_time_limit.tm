// --time-limit takes a positive number of seconds.
// args: --time-limit 0
1;
// expect exit: 64
// expect stderr: --time-limit needs a number of seconds above 0
