// Formulas compiled from text while the program runs.  sys::comfor compiles
// a text into a formula object (type sys::tmfor), "HFor" finds the new
// formula by its name, and sys::call calls it through that handle with any
// number of arguments: the arguments, then the variable for the result.
// args: --load TmData32W.dll --load TmString32W.dll --load TmSystem32W.dll

// One formula object, kept in a module variable.
i: :object(::o)= which(o==0, o=new(sys::tmfor), o);

// Compile a real formula of two parameters into module 1: 0 is success.
i: (:from,to)= sys::comfor(object(), "area(w,h)= w*h/2", 2, 1, &from, &to);
// expect: i: 0
r: (:r)= sys::call(2, HFor("area"), 3, 4, &r), r;
// expect: 6

// A new text replaces the formula the object held.
i: (:from,to)= sys::comfor(object(), "area(w,h)= w*h", 2, 1, &from, &to);
// expect: i: 0
r: (:r)= sys::call(2, HFor("area"), 3, 4, &r), r;
// expect: 12

// A text with an error gives the compiler's code and, by reference, where
// in the text the error lies: code 23 (an operator without its operand) at
// characters 12 to 12.
i: (:from,to,code)= code=sys::comfor(object(), "area(w,h)= w*", 2, 1, &from, &to),
   code*10000 + from*100 + to;
// expect: i: 231212

// A text built at run time: the polynomial 3x^2 + 2x + 1 from its
// coefficients, written into a string object ("poly(x)= 0+3*x^2+2*x^1+1*x^0")
// and compiled with sys::comfors.
i: :coefficients(::c)= which(c==0, c=new(int64_s, EndType, 3, 2, 1), c);
i: (:text,k,from,to,p)= text=new(wchar_s, EndType, "poly(x)= 0"), k=0,
   while(k<3, string::wcscats(text, "+"), string::wcscati(text, get(coefficients(), k)),
         string::wcscats(text, "*x^"), string::wcscati(text, 2-k), k++),
   p=new(sys::tmfor), sys::comfors(p, text, 2, 1, &from, &to);
// expect: i: 0
r: (:r)= sys::call(2, HFor("poly"), 2, &r), r;
// expect: 17

// Integer and complex formulas work the same way; a complex argument and
// result take two slots each (real and imaginary part).
i: (:o,from,to)= o=new(sys::tmfor), sys::comfor(o, "gcd(a,b)= which(b==0, a, gcd(b, a%b))", 1, 1,
   &from, &to);
// expect: i: 0
i: (:r)= sys::call(1, HFor("gcd"), 84, 36, &r), r;
// expect: i: 12
i: (:o,from,to)= o=new(sys::tmfor), sys::comfor(o, "square(z)= z*z", 3, 1, &from, &to);
// expect: i: 0
r: (:re,im)= sys::call(3, HFor("square", 3), 1, 2, &re, &im), re*100 + im;
// expect: -296
