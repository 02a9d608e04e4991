// An error-text file that cannot be read is reported and skipped.
LoadError("run_errors/modules/no_such_file.txt")
// expect: 0
// expect stderr: OpenTM：打开文件失败！: run_errors/modules/no_such_file.txt
