// Started with the argument "noshell" (as the fuzz targets start it), the
// library starts no program: ShellExecute answers 5, access denied.
// args: --load TmData32W.dll --load TmSystem32W.dll:noshell
i: sys::ShellExecute(0, "open", "record_args", "", "system/helpers", 1);
// expect: i: 5
