#include "tools/InterchangeCommands.h"

#include <new>

#include <nlohmann/json.hpp>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "interchange/DuplicateAddressIndex.h"
#include "interchange/EntryToStation.h"
#include "interchange/PlaylistReader.h"
#include "interchange/StationListExport.h"
#include "interchange/StationTable.h"
#include "platform/AppPaths.h"
#include "platform/Unicode.h"
#include "tools/Commands.h"

namespace {

const char* const kProgram = "cdstool: ";

using Json = nlohmann::ordered_json;

std::string utf8(const std::u16string& text) {
    return utf16ToUtf8(text);
}

// Runs a dataset step; its exceptions become one message on `err`.
template <typename Step>
bool runStep(std::ostream& err, const std::string& context, Step step) {
    try {
        step();
        return true;
    } catch (const Exception& e) {
        err << kProgram << context << utf8(e.Message()) << '\n';
    } catch (const std::bad_alloc&) {
        err << kProgram << context << "not enough memory\n";
    } catch (const std::exception& e) {
        err << kProgram << context << e.what() << '\n';
    }
    return false;
}

std::string skippedText(const ImportReport& r) {
    return "skipped " + std::to_string(r.skipped()) + " (no address " +
           std::to_string(r.noAddress) + ", invalid address " + std::to_string(r.invalidAddress) +
           ", address too long " + std::to_string(r.addressTooLong) + ", duplicate " +
           std::to_string(r.duplicate) + "); names cut " + std::to_string(r.namesCut);
}

Json reportJson(const ImportReport& r) {
    Json report;
    report["entries"] = r.entries;
    report["imported"] = r.imported;
    report["skipped"] = {{"total", r.skipped()},
                         {"noAddress", r.noAddress},
                         {"invalidAddress", r.invalidAddress},
                         {"addressTooLong", r.addressTooLong},
                         {"duplicate", r.duplicate}};
    report["namesCut"] = r.namesCut;
    Json cut = Json::array();
    for (const std::u16string& name : r.cutNames) cut.push_back(utf8(name));
    report["cutNames"] = std::move(cut);
    report["homepagesDropped"] = r.homepagesDropped;
    return report;
}

void printJson(std::ostream& out, const Json& document) {
    out << document.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

// An input that could not be read: the message on `err` and, for --json, in the report.
int failImport(const ImportOptions& options, const std::string& message, std::ostream& out,
               std::ostream& err) {
    err << kProgram << message << '\n';
    if (options.json)
        printJson(out, Json{{"output", options.output}, {"written", false}, {"error", message}});
    return kExitFailure;
}

std::string_view formatDescription(PlaylistFormat format) {
    switch (format) {
        case PlaylistFormat::M3u:
            return "M3U8 playlist";
        case PlaylistFormat::Pls:
            return "PLS playlist";
        case PlaylistFormat::Xspf:
            return "XSPF playlist";
        case PlaylistFormat::Csv:
            return "CSV station list";
        case PlaylistFormat::Json:
            return "JSON station list";
    }
    return "playlist";
}

}  // namespace

int runImport(const ImportOptions& options, std::ostream& out, std::ostream& err) {
    DuplicateAddressIndex addresses;
    std::vector<StationValues> stations;
    ImportReport total;
    Json files = Json::array();

    for (const std::string& input : options.inputs) {
        const std::u16string name = utf8ToUtf16(input);
        PlaylistReading reading;
        if (const FileResult read = readPlaylistFile(name, options.format, &reading); !read) {
            return failImport(options,
                              utf8(formatMessage(u"Cannot open file \"%s\". %s",
                                                 {expandFileName(name), read.message()})),
                              out, err);
        }
        if (!reading.ok()) {
            return failImport(options,
                              input + ": not a valid " +
                                  std::string(playlistFormatName(reading.format)) +
                                  " list: " + playlistErrorText(reading.error),
                              out, err);
        }
        ImportedStations imported = importStations(reading.entries, addresses);
        err << kProgram << input << ": " << playlistFormatName(reading.format) << ", "
            << textEncodingName(reading.encoding) << ", " << imported.report.entries
            << " entries, imported " << imported.report.imported << "; "
            << skippedText(imported.report) << '\n';
        Json file = reportJson(imported.report);
        file["file"] = input;
        file["format"] = playlistFormatName(reading.format);
        file["encoding"] = textEncodingName(reading.encoding);
        files.push_back(std::move(file));
        total += imported.report;
        stations.insert(stations.end(), std::make_move_iterator(imported.stations.begin()),
                        std::make_move_iterator(imported.stations.end()));
    }

    bool written = false;
    if (stations.empty()) {
        err << kProgram << "no station could be imported; " << options.output
            << " was not written\n";
    } else {
        written = runStep(err, options.output + ": ", [&] {
            TClientDataSet table(u"ClientDataSet1");
            defineStationFields(table.FieldDefs());
            table.CreateDataSet();
            appendStations(table, stations);
            table.MergeChangeLog();
            table.SaveToFile(utf8ToUtf16(options.output));
        });
        if (written) {
            err << kProgram << "imported " << total.imported << " stations into " << options.output
                << "; " << skippedText(total) << '\n';
        }
    }
    if (options.json) {
        Json report{{"output", options.output}, {"written", written}};
        report.update(reportJson(total));
        report["files"] = std::move(files);
        printJson(out, report);
    }
    return written ? 0 : kExitFailure;
}

int runExport(const std::string& input, const std::string& output,
              std::optional<PlaylistFormat> format, std::ostream& out, std::ostream& err) {
    const std::optional<PlaylistFormat> chosen =
        format ? format : playlistFormatFromFileName(output);
    if (!chosen) {
        err << kProgram << output
            << ": the extension names no list format (.m3u, .m3u8, .pls, .xspf, .csv, .json); "
               "give one with --format\n";
        return kExitFailure;
    }
    TClientDataSet table(u"ClientDataSet1");
    std::vector<StationValues> stations;
    if (!runStep(err, input + ": ", [&] {
            table.LoadFromFile(utf8ToUtf16(input));
            stations = readStations(table);
        })) {
        return kExitFailure;
    }
    const std::u16string name = utf8ToUtf16(output);
    const FileResult written = exportStationList(name, *chosen, stations);
    if (!written) {
        err << kProgram
            << utf8(formatMessage(u"Cannot create file \"%s\". %s",
                                  {expandFileName(name), written.message()}))
            << '\n';
        return kExitFailure;
    }
    out << output << ": " << formatDescription(*chosen) << ", " << stations.size() << " stations\n";
    return 0;
}
