#include "tools/Commands.h"

#include <new>
#include <vector>

#include "dataset/Streams.h"
#include "packet/AsciiCase.h"
#include "platform/AppPaths.h"
#include "platform/AtomicFileWriter.h"
#include "platform/FileOps.h"
#include "platform/Unicode.h"
#include "tools/DumpOutput.h"
#include "tools/PacketListing.h"
#include "tools/ValueText.h"

namespace {

const char* const kProgram = "cdstool: ";

std::string utf8(const std::u16string& text) {
    return utf16ToUtf8(text);
}

bool hasXmlExtension(const std::string& name) {
    const auto slash = name.find_last_of('/');
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    return equalsIgnoringAsciiCase(std::string_view(name).substr(dot), ".xml");
}

// An engine failure: its text and code, and for a packet the reader refused, the check that
// failed and where.
void reportEngineError(std::ostream& err, const std::string& context, const std::string& message,
                       std::int32_t code, const ReadFailure& failure = {}) {
    err << kProgram << context << message << " (error code "
        << resultCodeText(static_cast<DBResult>(code)) << ")";
    if (failure.failed()) err << ": " << describeReadFailure(failure);
    err << '\n';
}

// Runs a dataset step and turns its exceptions into messages on `err`; answers whether the
// step succeeded.
template <typename Step>
bool runDataSetStep(std::ostream& err, const std::string& invalidContext, Step step) {
    try {
        step();
        return true;
    } catch (const EDBClient& e) {
        reportEngineError(err, invalidContext, utf8(e.Message()), e.ErrorCode(),
                          e.PacketReadFailure());
    } catch (const Exception& e) {
        err << kProgram << utf8(e.Message()) << '\n';
    } catch (const std::bad_alloc&) {
        err << kProgram << "not enough memory\n";
    } catch (const std::exception& e) {
        err << kProgram << e.what() << '\n';
    }
    return false;
}

// Writes a binary packet to a name that would otherwise choose the XML form.
void saveBinaryPacket(TClientDataSet& dataSet, const std::string& output) {
    TMemoryStream packet;
    dataSet.SaveToStream(packet, dfBinary);
    const std::u16string name = utf8ToUtf16(output);
    const FileResult written = writeFileAtomically(name, packet.Bytes());
    if (!written) {
        throw EFCreateError(formatMessage(u"Cannot create file \"%s\". %s",
                                          {expandFileName(name), written.message()}));
    }
}

const char* formatText(TDataPacketFormat format) {
    switch (format) {
        case dfXML:
            return "XML datapacket";
        case dfXMLUTF8:
            return "XML datapacket (UTF-8)";
        default:
            return "binary datapacket";
    }
}

}  // namespace

std::optional<TDataPacketFormat> packetFormatNamed(const std::string& name) {
    if (name == "binary") return dfBinary;
    if (name == "xml") return dfXML;
    if (name == "xml-utf8") return dfXMLUTF8;
    return std::nullopt;
}

int runDump(const std::string& fileName, bool json, std::ostream& out, std::ostream& err) {
    const std::u16string name = utf8ToUtf16(fileName);
    std::vector<std::uint8_t> bytes;
    if (const FileResult read = readWholeFile(name, bytes); !read) {
        err << kProgram
            << utf8(formatMessage(u"Cannot open file \"%s\". %s",
                                  {expandFileName(name), read.message()}))
            << '\n';
        return kExitFailure;
    }
    const PacketListing listing = listPacket(std::move(bytes));
    if (json) {
        out << listingToJson(listing, sanitizedUtf8(fileName))
                   .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << '\n';
    } else {
        writeListingText(listing, fileName, out);
    }
    if (listing.error == DBIERR_NONE) return 0;
    out.flush();
    reportEngineError(err, fileName + ": ", engineErrorText(listing.error), listing.error,
                      listing.failure);
    return kExitFailure;
}

int runConvert(const std::string& input, const std::string& output,
               std::optional<TDataPacketFormat> format, std::ostream& out, std::ostream& err) {
    TClientDataSet dataSet;
    if (!runDataSetStep(err, input + ": ", [&] { dataSet.LoadFromFile(utf8ToUtf16(input)); }))
        return kExitFailure;
    const TDataPacketFormat written =
        format ? *format : (hasXmlExtension(output) ? dfXML : dfBinary);
    const bool saved = runDataSetStep(err, output + ": ", [&] {
        // SaveToFile turns a binary save to a ".xml" name into XML; a format asked for
        // explicitly is kept.
        if (written == dfBinary && hasXmlExtension(output)) {
            saveBinaryPacket(dataSet, output);
        } else {
            dataSet.SaveToFile(utf8ToUtf16(output), written);
        }
    });
    if (!saved) return kExitFailure;
    out << output << ": " << formatText(written) << ", " << dataSet.RecordCount() << " rows, "
        << dataSet.Fields().Count() << " columns\n";
    return 0;
}

int runCheck(const std::string& fileName, std::ostream& out, std::ostream& err) {
    TClientDataSet dataSet;
    const bool loaded = runDataSetStep(err, fileName + ": not a valid datapacket: ", [&] {
        dataSet.LoadFromFile(utf8ToUtf16(fileName));
    });
    if (!loaded) return kExitFailure;
    std::uint32_t streamMode = 0;
    // A loaded table always answers; 0 would read as binary.
    (void)dataSet.DSBase()->getProperty(propStreamMode, &streamMode);
    out << fileName << ": valid " << (streamMode ? "XML" : "binary") << " datapacket, "
        << dataSet.RecordCount() << " rows, " << dataSet.Fields().Count() << " columns\n";
    return 0;
}
