// --stack takes a whole number.
// args: --stack -5
1;
// expect exit: 64
// expect stderr: --stack needs a whole number
