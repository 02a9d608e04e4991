// A temporary directory for the files a test writes, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace idetest {

class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/tamrix-ide-XXXXXX";
        root_ = ::mkdtemp(pattern);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::string path(const std::string &name) const { return root_ + "/" + name; }
    const std::string &root() const { return root_; }
    std::string write(const std::string &name, const std::string &bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    std::string read(const std::string &name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string root_;
};

}  // namespace idetest
