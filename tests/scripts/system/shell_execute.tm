// sys::ShellExecute runs an executable file with the parameters split into
// words, in the given directory, without a shell: ;, $(...), $VAR, quotes
// and spaces reach the program as written.  The helper records what it got.
// args: --load TmData32W.dll --load TmSystem32W.dll
i: sys::ShellExecute(0, "open", "record_args",
   "a;b $(touch\[1]/tmp/x) $HOME \"two words\" 'one quoted' say\\\"hi\\\" `id` \"$(echo; id)\"",
   "system/helpers", 1) > 32;
// expect: i: 1
// expect stderr: record cwd: [
// expect stderr: /tests/scripts/system/helpers]
// expect stderr: record argc: 9
// expect stderr: record arg: [a;b]
// expect stderr: record arg: [$(touch]
// expect stderr: record arg: [/tmp/x)]
// expect stderr: record arg: [$HOME]
// expect stderr: record arg: [two words]
// expect stderr: record arg: [one quoted]
// expect stderr: record arg: [say"hi"]
// expect stderr: record arg: [`id`]
// expect stderr: record arg: [$(echo; id)]
// Failures keep the codes callers know: 2 file not found, 3 path not found,
// 31 no application for the operation.
i: sys::ShellExecute(0, "open", "no_such_program_here", "", "system/helpers", 1);
// expect: i: 2
i: sys::ShellExecute(0, "open", "record_args", "", "system/no_such_directory", 1);
// expect: i: 3
i: sys::ShellExecute(0, "open", "system/no_such_directory/x", "", "", 1);
// expect: i: 3
i: sys::ShellExecute(0, "print", "record_args", "", "system/helpers", 1);
// expect: i: 31
// A text that is no literal of the calling formula: code 1.
i: sys::ShellExecute(0, 100000, "record_args", "", "", 1);
err();
// expect: i: 0
// expect: 1
// expect run error: sys::ShellExecute
// expect stdout: 整数函数名：sys::ShellExecute  错误代码：1
