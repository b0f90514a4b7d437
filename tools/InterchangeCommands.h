#pragma once
// cdstool's import and export commands: station lists in other formats into a station file and
// a station file out to another format. Each writes its result to `out`, its messages to `err`
// and answers the exit status (0 or kExitFailure).

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "interchange/PlaylistFormat.h"

struct ImportOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::optional<PlaylistFormat> format;  // none: guessed per file from its name and content
    bool json = false;                     // the report as JSON on `out`
};

// Reads every input, makes stations of their entries by the rules of a typed station (one
// duplicate index across all inputs) and writes them as a new station file (binary, or XML for
// a name ending in ".xml"), replacing `output` atomically. A summary goes to `err`. Fails, and
// writes nothing, when an input cannot be read or is malformed, or when no station could be
// imported.
int runImport(const ImportOptions& options, std::ostream& out, std::ostream& err);

// Loads a station file (binary or XML) and writes its stations as a playlist, replacing
// `output` atomically. Without a format, the output name's extension decides.
int runExport(const std::string& input, const std::string& output,
              std::optional<PlaylistFormat> format, std::ostream& out, std::ostream& err);
