// Runs one program file through `tamrix` and checks what it printed against
// the expectation comments inside the file (grammar: README.md here).
//
//   script_runner --tamrix PATH [--libs DIR] [--timeout SECONDS] FILE
//
// Exit status 0 when every expectation holds; otherwise the differences are
// printed and the status is 1.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text.h"

namespace {

struct Expectations {
    std::vector<std::string> args;
    std::string input;  // "// stdin: " lines, each ended by a line feed
    std::vector<std::string> output;              // "// expect: " lines, in order
    std::vector<std::string> compile_errors;      // "compile error N[ at RANGE]"
    std::vector<std::string> stderr_texts;        // "// expect stderr: "
    std::vector<std::string> stdout_texts;        // "// expect stdout: "
    bool output_checked = true;  // false: only the "expect stdout" parts count
    bool run_error = false;
    std::string run_error_name;
    int exit_status = -1;  // -1: implied by the other expectations
};

struct Outcome {
    int status = -1;  // exit status, or -1 after a signal or the timeout
    bool timed_out = false;
    std::string out, err;
};

std::string trim(const std::string &text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool take_prefix(std::string &text, const std::string &prefix) {
    if (text.rfind(prefix, 0) != 0) return false;
    text = text.substr(prefix.size());
    return true;
}

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> split_words(const std::string &text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string replace_all(std::string text, const std::string &from, const std::string &to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// "4:6-7" is shorthand for "4:6-4:7".
std::string full_range(const std::string &range) {
    size_t colon = range.find(':'), dash = range.find('-', 1);
    if (colon == std::string::npos || dash == std::string::npos) return range;
    std::string end = range.substr(dash + 1);
    if (end.find(':') != std::string::npos) return range;
    return range.substr(0, dash + 1) + range.substr(0, colon) + ":" + end;
}

bool parse_directive(const std::string &comment, const std::string &libs, Expectations &e,
                     std::string &problem) {
    std::string rest = comment;
    if (take_prefix(rest, "expect: ") || rest == "expect:") {
        e.output.push_back(rest == "expect:" ? "" : rest);
    } else if (take_prefix(rest, "expect compile error ")) {
        std::vector<std::string> words = split_words(rest);
        if (words.empty() || (words.size() != 1 && (words.size() != 3 || words[1] != "at"))) {
            problem = "bad compile error expectation: " + comment;
            return false;
        }
        std::string text = "compile error " + words[0];
        if (words.size() == 3) text += " at " + full_range(words[2]);
        e.compile_errors.push_back(text);
    } else if (take_prefix(rest, "expect run error")) {
        e.run_error = true;
        if (take_prefix(rest, ":")) e.run_error_name = trim(rest);
    } else if (take_prefix(rest, "expect stderr: ")) {
        e.stderr_texts.push_back(replace_all(rest, "@LIBS@", libs));
    } else if (take_prefix(rest, "expect stdout: ")) {
        e.stdout_texts.push_back(rest);
    } else if (take_prefix(rest, "expect exit: ")) {
        e.exit_status = std::atoi(rest.c_str());
    } else if (take_prefix(rest, "stdin: ")) {
        e.input += rest + "\n";
    } else if (rest == "output: unchecked") {
        e.output_checked = false;
    } else if (take_prefix(rest, "args: ")) {
        for (const std::string &word : split_words(rest))
            e.args.push_back(replace_all(word, "@LIBS@", libs));
    } else if (take_prefix(rest, "expect")) {
        problem = "unknown expectation: " + comment;
        return false;
    }
    return true;
}

// Directives are "//" comments that start a line (after blanks).
bool read_expectations(const std::u16string &source, const std::string &libs, Expectations &e,
                       std::string &problem) {
    for (const std::string &raw : split_lines(platform::to_utf8(source))) {
        std::string line = trim(raw);
        if (!take_prefix(line, "//")) continue;
        if (!line.empty() && line[0] == ' ') line.erase(0, 1);
        if (!parse_directive(line, libs, e, problem)) return false;
    }
    if (e.exit_status < 0)
        e.exit_status = !e.compile_errors.empty() ? 65 : e.run_error ? 70 : 0;
    return true;
}

bool read_file(const std::string &path, std::string &bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    bytes = content.str();
    return true;
}

// Runs the program with `input` as its standard input (through an unlinked
// temporary file, so a program that never reads cannot block the runner),
// collecting both streams until it exits or the deadline passes (then it is
// killed).
Outcome run(const std::vector<std::string> &command, const std::string &input,
            int timeout_seconds) {
    Outcome outcome;
    std::FILE *in = std::tmpfile();
    if (!in) return outcome;
    std::fwrite(input.data(), 1, input.size(), in);
    std::fflush(in);
    std::rewind(in);
    int out_pipe[2], err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return outcome;
    pid_t child = fork();
    if (child == 0) {
        dup2(fileno(in), 0);
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        close(out_pipe[0]);
        close(err_pipe[0]);
        std::vector<char *> argv;
        for (const std::string &arg : command) argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string *sinks[2] = {&outcome.out, &outcome.err};
    int open_streams = 2;
    while (open_streams > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            outcome.timed_out = true;
            kill(child, SIGKILL);
            break;
        }
        if (poll(fds, 2, int(left.count())) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[65536];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, size_t(n));
                continue;
            }
            close(fds[i].fd);
            fds[i].fd = -1;
            --open_streams;
        }
    }
    for (pollfd &fd : fds)
        if (fd.fd >= 0) close(fd.fd);
    int wait_status = 0;
    waitpid(child, &wait_status, 0);
    std::fclose(in);
    if (!outcome.timed_out && WIFEXITED(wait_status)) outcome.status = WEXITSTATUS(wait_status);
    return outcome;
}

bool is_report_line(const std::string &line) {
    static const char *const kLabels[] = {
        "Tamrix表达式运行错误！", "整数表达式名称：", "实数表达式名称：", "复数表达式名称：",
        "整数函数名：",           "实数函数名：",     "复数函数名：",     "出错原因：",
        "其他运行错误！",         "错误描述：",
    };
    for (const char *label : kLabels)
        if (line.rfind(label, 0) == 0) return true;
    return false;
}

// The program's own output: stdout without the run-error reports (the blank
// line that opens one, its labelled lines and the blank line that may close
// it), which `expect run error` checks instead.
std::vector<std::string> program_output(const std::vector<std::string> &lines) {
    std::vector<std::string> kept;
    for (size_t i = 0; i < lines.size(); ++i) {
        bool opens_report = lines[i].empty() && i + 1 < lines.size() &&
                            lines[i + 1] == "Tamrix表达式运行错误！";
        if (!opens_report && lines[i] != "Tamrix表达式运行错误！") {
            kept.push_back(lines[i]);
            continue;
        }
        if (opens_report) ++i;
        while (i + 1 < lines.size() && is_report_line(lines[i + 1])) ++i;
        if (i + 1 < lines.size() && lines[i + 1].empty()) ++i;
    }
    return kept;
}

bool contains_line_with(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> check(const Expectations &e, const Outcome &o) {
    std::vector<std::string> failures;
    if (o.timed_out) return {"timed out"};
    if (o.status != e.exit_status)
        failures.push_back("exit status " + std::to_string(o.status) + ", expected " +
                           std::to_string(e.exit_status));
    std::vector<std::string> output = program_output(split_lines(o.out));
    if (e.output_checked && output != e.output) {
        std::string diff = "output differs; expected:\n";
        for (const std::string &line : e.output) diff += "  | " + line + "\n";
        diff += "got:\n";
        for (const std::string &line : output) diff += "  | " + line + "\n";
        failures.push_back(diff);
    }
    for (const std::string &text : e.compile_errors)
        if (!contains_line_with(o.err, text)) failures.push_back("no '" + text + "' on stderr");
    for (const std::string &text : e.stderr_texts)
        if (!contains_line_with(o.err, text)) failures.push_back("no '" + text + "' on stderr");
    for (const std::string &text : e.stdout_texts)
        if (!contains_line_with(o.out, text)) failures.push_back("no '" + text + "' on stdout");
    bool reported = contains_line_with(o.out, "Tamrix表达式运行错误！");
    if (e.run_error != reported)
        failures.push_back(e.run_error ? "no run-error report" : "unexpected run-error report");
    if (e.run_error && !e.run_error_name.empty() &&
        !contains_line_with(o.out, "函数名：" + e.run_error_name + "  ") &&
        !contains_line_with(o.out, "错误描述：" + e.run_error_name + "  "))
        failures.push_back("the report does not name " + e.run_error_name);
    return failures;
}

}  // namespace

int main(int argc, char **argv) {
    std::string tamrix, libs, file;
    int timeout = 30;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--tamrix" && i + 1 < argc) tamrix = argv[++i];
        else if (arg == "--libs" && i + 1 < argc) libs = argv[++i];
        else if (arg == "--timeout" && i + 1 < argc) timeout = std::atoi(argv[++i]);
        else file = arg;
    }
    if (tamrix.empty() || file.empty() || timeout <= 0) {
        std::fprintf(stderr, "usage: script_runner --tamrix PATH [--libs DIR] "
                             "[--timeout SECONDS] FILE\n");
        return 2;
    }
    std::string bytes, problem;
    if (!read_file(file, bytes)) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 2;
    }
    // A program that cannot hold comments (empty, binary) keeps its
    // directives in FILE.expect beside it.
    std::u16string directives = platform::decode_text_file(bytes);
    std::string sidecar;
    if (read_file(file + ".expect", sidecar))
        directives += u"\n" + platform::decode_text_file(sidecar);
    Expectations expectations;
    if (!read_expectations(directives, libs, expectations, problem)) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(), problem.c_str());
        return 2;
    }
    // The file goes last unless the arguments place it with @FILE@.
    std::vector<std::string> command = {tamrix};
    bool placed = false;
    for (const std::string &arg : expectations.args) {
        placed = placed || arg.find("@FILE@") != std::string::npos;
        command.push_back(replace_all(arg, "@FILE@", file));
    }
    if (!placed) command.push_back(file);
    Outcome outcome = run(command, expectations.input, timeout);
    std::vector<std::string> failures = check(expectations, outcome);
    if (failures.empty()) return 0;
    std::fprintf(stderr, "%s:\n", file.c_str());
    for (const std::string &failure : failures) std::fprintf(stderr, "  %s\n", failure.c_str());
    std::fprintf(stderr, "--- stdout ---\n%s--- stderr ---\n%s", outcome.out.c_str(),
                 outcome.err.c_str());
    return 1;
}
