// Too many colons in a header.
f(x:::c)= 1;
// expect compile error 10
// expect stderr: 冒号过多
