// A directory is not a module.
#USE# modules;
// expect stderr: is a directory
// expect compile error -6
