// An unknown variable, after a Chinese comment: columns count characters.
/* 中文注释 */ 1 + 未知;
// expect compile error 24 at 2:16-17
