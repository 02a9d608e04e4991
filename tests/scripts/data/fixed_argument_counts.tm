// Functions with a fixed parameter count are checked when the formula is
// compiled: delete takes one argument.
// args: --load TmData32W.dll
i: (:a)= a=new(int32), delete(a, a);
// expect compile error 27
