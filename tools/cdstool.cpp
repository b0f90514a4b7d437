// cdstool: the command-line companion for station files.
//
//   cdstool dump FILE [--json]     what the datapacket holds, as the packet reader reads it
//   cdstool convert IN OUT [--format binary|xml|xml-utf8]
//   cdstool check FILE             whether the file loads, with its row and column counts
//   cdstool --version, cdstool --help, cdstool COMMAND --help

#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "RovenaVersion.h"

int main(int argc, char** argv) {
    CLI::App app{"cdstool: inspect, check and convert station files (datapackets)", "cdstool"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("cdstool ") + ROVENA_VERSION,
                         "Print the version and exit");

    std::string dumpFile;
    bool dumpJson = false;
    CLI::App* dump = app.add_subcommand(
        "dump", "Print a datapacket file readably: columns, table attributes and rows");
    dump->add_option("FILE", dumpFile, "the datapacket file")->required();
    dump->add_flag("--json", dumpJson, "print the same content as JSON");

    std::string input, output, formatName;
    CLI::App* convert =
        app.add_subcommand("convert", "Load a datapacket file and save it again, binary or XML");
    convert->add_option("IN", input, "the file to load")->required();
    convert->add_option("OUT", output, "the file to write")->required();
    convert
        ->add_option("--format", formatName,
                     "binary, xml or xml-utf8; without it an OUT ending in .xml is written as "
                     "XML and any other name as binary")
        ->check(CLI::IsMember({"binary", "xml", "xml-utf8"}));

    std::string checkFile;
    CLI::App* check = app.add_subcommand(
        "check", "Say whether a file is a valid datapacket and how many rows and columns it holds");
    check->add_option("FILE", checkFile, "the datapacket file")->required();

    CLI11_PARSE(app, argc, argv);

    if (*dump) return runDump(dumpFile, dumpJson, std::cout, std::cerr);
    if (*convert) {
        const auto format = formatName.empty() ? std::nullopt : packetFormatNamed(formatName);
        return runConvert(input, output, format, std::cout, std::cerr);
    }
    return runCheck(checkFile, std::cout, std::cerr);
}
