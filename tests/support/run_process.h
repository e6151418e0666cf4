#pragma once
// Runs a program to completion with extra environment variables and captures its exit
// status, standard output and standard error.

#include <string>
#include <utility>
#include <vector>

namespace quillory::test {

struct ProcessResult {
    int status = -1;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::pair<std::string, std::string>>& env = {},
                         const std::string& input = {});

// quillory-cli with the given arguments.
ProcessResult RunCli(const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& env = {});

}  // namespace quillory::test
