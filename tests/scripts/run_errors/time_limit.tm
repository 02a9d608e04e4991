// --time-limit interrupts an endless loop with run error 6; the formulas
// after it still run, and the report names the interrupt.
// args: --time-limit 0.3
1;
while(1, 1);
2;
// expect: 1
// expect: 1
// expect: 2
// expect run error: tamrix：运行时间超过了 --time-limit。
// expect stderr: interrupted after the time limit of 0.3 s
