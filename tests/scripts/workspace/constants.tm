// The workspace's constant files: good lines register, bad ones are reported
// and parsing goes on.
// args: --workspace workspace/modules/demo.otm
i: five; i: six; i: big; kilo; c: z
// expect: i: -5
// expect: i: 6
// expect: i: 9223372036854775807
// expect: 1500
// expect: c: 1-2i
// expect stderr: OpenTM：常量定义错误！: 文件：
// expect stderr: 常量：bad
// expect stderr: 常量：nothing =
// expect stderr: 常量：half = 3
// expect stderr: OpenTM：命令定义错误或命令名太长！: no star
