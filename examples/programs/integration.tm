// Numeric integration with SimpIntegrate(a, b, eps, "f"): the integrand is a
// formula of one parameter, named by a string.
parabola(x)= x*x;
bell(x)= exp(-x*x);
wave(x)= sin(x)^2;

SimpIntegrate(0, 3, 1e-12, "parabola");        // 9
SimpIntegrate(0, 3.141592653589793, 1e-12, "wave");  // pi/2
// Twice the integral of exp(-x^2) over [0, 6] is sqrt(pi) to within 1e-12.
abs(2*SimpIntegrate(0, 6, 1e-12, "bell") - sqrt(3.141592653589793)) < 1e-12;
// expect: 9
// expect: 1.570796326794897
// expect: 1
