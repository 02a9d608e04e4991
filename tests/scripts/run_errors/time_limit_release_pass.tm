// A formula whose release pass loops for ever: deleting the module at exit
// would hang without the time limit, which ends the pass as well.
// args: --time-limit 0.3
:f(:static,free)= while(free, 1);
1;
// expect: 1
// expect exit: 70
// expect stderr: interrupted after the time limit of 0.3 s
