#pragma once
// Running the built cdstool from a test: its exit status and what it printed on each stream.

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/platform/TempFolder.h"

struct RunResult {
    int status = -1;
    std::string out, err;
};

// Runs cdstool with the arguments (already quoted where needed); its output goes through files
// in `scratch`.
inline RunResult runCdsTool(const std::string& arguments, TempFolder& scratch) {
    const std::string out = scratch.file("stdout.txt"), err = scratch.file("stderr.txt");
    const std::string command =
        std::string("'") + CDSTOOL_PATH + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    RunResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readText(out);
    r.err = readText(err);
    return r;
}
