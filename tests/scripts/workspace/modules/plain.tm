~thrice(x)=3*x;
