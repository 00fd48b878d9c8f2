// Runs a program of this build as its own process and collects what it
// printed and how it ended.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

// `program` is a file name in the test program's own folder; `environment`
// adds variables for the child only.
Finished run_program(const std::string& program, const std::vector<std::string>& arguments,
                     const std::vector<std::pair<std::string, std::string>>& environment = {});

// The folder of the test program and of the build's programs, with a
// trailing separator.
std::string own_folder();

// A file in a scratch folder, and its path as the child sees it.
std::string scratch_file(const std::string& name, const std::string& content);
