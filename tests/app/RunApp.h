#pragma once

// Runs the built program (KORVEX_PROGRAM_PATH: korvex-render or
// korvex-view) in a scratch directory of its own and keeps what it printed.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace Korvex::App::test {

struct AppRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

class AppRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() / (std::string("korvex-app-") + info->test_suite_name() +
                                                          "-" + info->name() + "-" + std::to_string(getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    // A failed test keeps its files, pictures included, for a person to look at.
    void TearDown() override {
        if (HasFailure())
            std::cerr << "files of the failed run kept in " << dir_ << "\n";
        else
            std::filesystem::remove_all(dir_);
    }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }

    // The files the run left in the scratch directory, inputs included.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_))
            if (entry.is_regular_file()) names.push_back(std::filesystem::relative(entry.path(), dir_).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // launcher: a command the program runs under (xvfb-run ...), or empty.
    AppRun Run(const std::vector<std::string>& args, const std::string& launcher = "") const {
        std::string command = "cd '" + dir_.string() + "' && " + launcher + " '" KORVEX_PROGRAM_PATH "'";
        for (const std::string& arg : args) command += " '" + arg + "'";
        const int result = std::system((command + " >stdout.txt 2>stderr.txt").c_str());
        return {WIFEXITED(result) ? WEXITSTATUS(result) : -1, Take("stdout.txt"), Take("stderr.txt")};
    }

private:
    // The file's bytes; the file goes.
    std::string Take(const std::string& name) const {
        std::ostringstream text;
        text << std::ifstream(dir_ / name, std::ios::binary).rdbuf();
        std::filesystem::remove(dir_ / name);
        return text.str();
    }

    std::filesystem::path dir_;
};

}  // namespace Korvex::App::test
