// cdstool: the command-line companion for station files.
//
//   cdstool dump FILE [--json]     what the datapacket holds, as the packet reader reads it
//   cdstool convert IN OUT [--format binary|xml|xml-utf8]
//   cdstool check FILE             whether the file loads, with its row and column counts
//   cdstool import IN... -o OUT.cds [--format m3u|pls|xspf|csv|json] [--json]
//   cdstool export IN.cds -o OUT [--format m3u|pls|xspf|csv|json]
//   cdstool --version, cdstool --help, cdstool COMMAND --help

#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "RovenaVersion.h"
#include "tools/Commands.h"
#include "tools/InterchangeCommands.h"

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

    const auto listFormats = CLI::IsMember({"m3u", "m3u8", "pls", "xspf", "csv", "json"});
    ImportOptions importOptions;
    std::string importFormat;
    CLI::App* importCommand = app.add_subcommand(
        "import", "Make a station file of M3U/M3U8, PLS, XSPF, CSV or JSON station lists");
    importCommand->add_option("IN", importOptions.inputs, "the lists to import")->required();
    importCommand->add_option("-o,--output", importOptions.output, "the station file to write")
        ->required();
    importCommand
        ->add_option("--format", importFormat,
                     "m3u, pls, xspf, csv or json; without it each list's name and content decide")
        ->check(listFormats);
    importCommand->add_flag("--json", importOptions.json, "print the import report as JSON");

    std::string exportInput, exportOutput, exportFormat;
    CLI::App* exportCommand =
        app.add_subcommand("export", "Write the stations of a station file as a playlist");
    exportCommand->add_option("IN", exportInput, "the station file")->required();
    exportCommand->add_option("-o,--output", exportOutput, "the playlist to write")->required();
    exportCommand
        ->add_option("--format", exportFormat,
                     "m3u, pls, xspf, csv or json; without it OUT's extension decides")
        ->check(listFormats);

    CLI11_PARSE(app, argc, argv);

    if (*importCommand) {
        if (!importFormat.empty()) importOptions.format = playlistFormatNamed(importFormat);
        return runImport(importOptions, std::cout, std::cerr);
    }
    if (*exportCommand) {
        const auto format = exportFormat.empty() ? std::nullopt : playlistFormatNamed(exportFormat);
        return runExport(exportInput, exportOutput, format, std::cout, std::cerr);
    }

    if (*dump) return runDump(dumpFile, dumpJson, std::cout, std::cerr);
    if (*convert) {
        const auto format = formatName.empty() ? std::nullopt : packetFormatNamed(formatName);
        return runConvert(input, output, format, std::cout, std::cerr);
    }
    return runCheck(checkFile, std::cout, std::cerr);
}
