// Every escape a string may hold.
:ok(:s)= s="tab\t quote\" backslash\\ code\00065 hex\x0041 blanks\[3]", 1;
ok();
// expect: 1
@"c:\path\no escapes" >= 0;
// expect: 1
