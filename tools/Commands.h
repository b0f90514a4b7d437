#pragma once
// The three commands of cdstool. Each writes its result to `out` and its errors to `err` and
// answers the process's exit status: 0 on success, kExitFailure when the file cannot be read
// or written or is not a valid datapacket.

#include <optional>
#include <ostream>
#include <string>

#include "dataset/ClientDataSet.h"

constexpr int kExitFailure = 1;

// Prints what the file holds, read with the packet reader; the file is only read.
int runDump(const std::string& fileName, bool json, std::ostream& out, std::ostream& err);

// Loads `input` into a dataset and saves it as `output`. Without a format, an output name
// ending in ".xml" (any case) gets the XML form and every other name the binary form.
int runConvert(const std::string& input, const std::string& output,
               std::optional<TDataPacketFormat> format, std::ostream& out, std::ostream& err);

// Loads the file into a dataset and says whether it is a valid datapacket and how many rows
// and columns it holds; the file is only read.
int runCheck(const std::string& fileName, std::ostream& out, std::ostream& err);

// The format named on the command line: "binary", "xml" or "xml-utf8".
std::optional<TDataPacketFormat> packetFormatNamed(const std::string& name);
