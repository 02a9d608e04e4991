/* a /* b */ c */ "s\"q" #USE# x; // c
*/