// Parameters, automatic, static and module variables.
// ":" keeps a formula without parameters from running by itself.
:counter(:static, n)= n++, n;
counter(); counter(); counter();
// expect: 1
// expect: 2
// expect: 3
set(x::shared)= shared=x;
:get(::shared)= shared;
set(41); get()+1;
// expect: 41
// expect: 42
swap(a,b:t)= t=a, a=b, b=t;
(:x,y)= x=1, y=2, swap(&x, &y), x*10+y;
// expect: 21
area(w,h)= w*h;
area(3, 4);
// expect: 12
