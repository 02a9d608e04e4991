// A program replaces the shipped reason of max's error with its own:
// UnloadError removes the texts its file names, LoadError files new ones.
!UnloadError("run_errors/modules/max_errors.txt");
!LoadError("run_errors/modules/max_errors.txt");
max();
// expect: 0
// expect run error: max
// expect stdout: 出错原因：这是测试文件中的原因
