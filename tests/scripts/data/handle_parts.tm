// associated and null work on the handle part (the low 32 bits) of a
// number; ftod and dtof move values in and out of real32 storage.
// args: --load TmData32W.dll
i: associated(4294967295);
i: associated(8589934593);
i: associated(2147483648);
i: null(8589934593);
i: (:x)= x=8589934593, null(&x), x;
i: (:h)= h=new(int32, 3), associated(h+4294967296)==h;
i: (:h)= h=new(int32, 3), get(h+4294967296);
// expect: i: -1
// expect: i: 1
// expect: i: -2147483648
// expect: i: 8589934592
// expect: i: 8589934592
// expect: i: 1
// expect: i: 3

// 1.5 as a double is 4609434218613702656; as a single 1069547520.
i: ftod(1069547520);
i: ftod(1069547520+4294967296*5);
i: dtof(4609434218613702656)%4294967296;
i: (:x)= x=4609434218613702656, dtof(&x), x;
i: (:x)= x=1069547520, ftod(&x), x;
// expect: i: 4609434218613702656
// expect: i: 4609434218613702656
// expect: i: 1069547520
// expect: i: 4609434219683250176
// expect: i: 4609434218613702656

// Complex formulas carry a handle in the real part.
c: null(0+2i);
c: associated(0+5i);
c: (:z)= z=7+1i, delete(z);
// expect: c: 0+2i
// expect: c: 0
// expect: c: 7+1i
