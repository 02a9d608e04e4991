~twice(x)=2*x;
