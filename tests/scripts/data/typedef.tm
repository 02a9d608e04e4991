// typedef(x, t): x nonzero makes an alias of t; x 0 removes an alias (or a
// base registration without a destroy function) and refuses unknown
// identifiers.  Objects of an alias have the aliased kind.
// args: --load TmData32W.dll
i: (:t,a,k)= t=typedef(1, int32), a=new(t, 7), TMDType(a, &k)==t, k;
i: (:t,a,k)= t=typedef(1, int32), a=new(t, 7), TMDType(a, &k)==t;
i: (:t,u,a,k)= t=typedef(1, Uint8_s), u=typedef(1, t), a=new(u, 3), TMDType(a, &k)==u;
i: (:t,u,a,k)= t=typedef(1, Uint8_s), u=typedef(1, t), a=new(u, 3), TMDType(a, &k), k*10+TMDLen(a);
i: typedef(1, -26);
i: typedef(1, -9999);
i: typedef(1, 0);
// Strict copies want equal identifiers: two aliases of int32 differ.
i: (:t,u,a,b)= t=typedef(1, int32), u=typedef(1, int32), a=new(t, 5), b=new(u, 1), copy(b, a), get(b);
err();
i: (:t,u,a,b)= t=typedef(1, int32), u=typedef(1, int32), a=new(t, 5), b=new(u, 1), copy(b, a, 0), get(b);
i: (:t,a,b)= t=typedef(1, int32), a=new(t, 5), b=new(int32, 1), copy(b, a, 0), get(b);
// expect: i: -6
// expect: i: 1
// expect: i: 1
// expect: i: -137
// expect: i: 0
// expect: i: 0
// expect: i: 0
// expect: i: 1
// expect: 1
// expect: i: 5
// expect: i: 5
// expect run error: copy：类型不匹配。

// Removing: an alias goes, unknown identifiers and kind codes give 0.
i: (:t)= t=typedef(1, int32), typedef(0, t)*10+typedef(0, t);
i: (:t)= t=typedef(1, int32), typedef(0, t), new(t);
i: typedef(0, -9999);
i: typedef(0, int32);
// Objects made with a removed alias stay.
i: (:t,a)= t=typedef(1, int32), a=new(t, 4), typedef(0, t), get(a);
err();
// expect: i: 10
// expect: i: 0
// expect: i: 0
// expect: i: 0
// expect: i: 4
// expect: 0
