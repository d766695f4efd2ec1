#pragma once
// A scratch directory for one test, named after the process and removed afterwards.

#include <unistd.h>

#include <filesystem>
#include <string>

class Scratch {
public:
    explicit Scratch(const char* name)
        : path_(std::filesystem::temp_directory_path() / (name + std::to_string(getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~Scratch() { std::filesystem::remove_all(path_); }
    std::string operator/(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};
