// "#USE#" finds the workspace's standard modules by name, ignoring ASCII
// case; an item without '*' is both name and file.
// args: --workspace workspace/modules/demo.otm
#USE# tools; #USE# plain.tm;
twice(4); thrice(2)
// expect: 8
// expect: 6
