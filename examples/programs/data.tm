// Typed data from the data library, started with --load TmData32W.dll:
// scalars, arrays and classes live in the library, and formulas hold their
// handles in ordinary variables.  new makes an object, get and set read and
// write it, delete frees it; TMDToStr writes a value as text into a
// character array, and printff prints such an array.
// args: --load TmData32W.dll

// A 3x4 matrix of doubles: fill it with set, sum its last row with get.
(:m,i,j,s)= m=new(real64_s, 3, 4),
    i=0, while(i<3, j=0, while(j<4, set(m, i, j, i*10+j/4), j++), i++),
    s=0, j=0, while(j<4, s=s+get(m, 2, j), j++), delete(m), s;
// expect: 81.5

// The primes below 100, with a sieve of bytes.
i: (:sieve,k,m,n)= sieve=new(Uint8_s, 100), k=0, while(k<100, set(sieve, k, 1), k++),
    k=2, while(k*k<100, if(get(sieve, k), m=k*k, while(m<100, set(sieve, m, 0), m=m+k)), k++),
    n=0, k=2, while(k<100, n=n+get(sieve, k), k++), delete(sieve), n;
// expect: i: 25

// A class whose named members hold objects: get and set follow the names,
// newcopy copies the class with everything it owns, and deleting a class
// deletes what it owns.
i: (:p,q,t)= p=new(class, EndType, "name", "age"),
    CSetP(p, "name", new(wchar_s, EndType, "Ada")),
    CSetP(p, "age", new(int32, 36)),
    q=newcopy(p), set(q, "age", get(p, "age")+1),
    t=new(wchar_s, 80),
    TMDToStr(CGetP(p, "age"), t), printff("\r\n{1,s} is {2,s}", CGetP(p, "name"), t),
    TMDToStr(CGetP(q, "age"), t), printff(", her copy is {1,s}", t),
    delete(p), delete(q), delete(t);
// expect: Ada is 36, her copy is 37
// expect: i: 0

// Text to numbers and back: a complex value and a single-precision one.
i: (:z,f,t)= z=new(complex), StrToTMD(new(wchar_s, EndType, "3-4i"), z),
    f=new(real32), StrToTMD(new(wchar_s, EndType, "0.1"), f),
    t=new(wchar_s, 80),
    TMDToStr(z, t), printff("\r\n{1,s} and ", t),
    TMDToStr(f, t), printff("{1,s}", t),
    DelAllTMD();
// expect: 3-4i and 0.100000001
// expect: i: 0
