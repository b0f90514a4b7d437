#include "tools/DumpOutput.h"

#include <cstdio>

#include "packet/TypeWord.h"
#include "tools/ValueText.h"

namespace {

std::string hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x", digits, value);
    return text;
}

std::string joined(const std::vector<std::string>& names, const char* separator) {
    std::string s;
    for (std::size_t i = 0; i < names.size(); ++i) s += (i ? separator : "") + names[i];
    return s;
}

DecodedValue decodedAttribute(const ListedAttribute& a) {
    return decodeAttributeValue(a.typeWord, a.value);
}

std::string attributeLine(const ListedAttribute& a) {
    return sanitizedUtf8(a.name) + " = " + valueToText(decodedAttribute(a)) + "  (" +
           typeWordName(a.typeWord) + ", type " + hex(a.typeWord, 8) + ")";
}

void writeAttributes(const std::vector<ListedAttribute>& attributes, const char* indent,
                     std::ostream& out) {
    for (const auto& a : attributes) out << indent << attributeLine(a) << '\n';
}

// A row item: a decoded value, or the mark that stands in for it.
std::string itemText(const ListedValue& item, std::uint32_t typeWord) {
    if (item.indicator == 1) return "NULL";
    if (item.indicator == 2) return "UNCHANGED";
    if (item.length < 0) return "(not fetched, length " + std::to_string(item.length) + ")";
    return valueToText(decodeValue(typeWord, item.value));
}

nlohmann::ordered_json itemJson(const ListedValue& item, std::uint32_t typeWord) {
    if (item.indicator == 1) return nullptr;
    if (item.indicator == 2) return nlohmann::ordered_json{{"unchanged", true}};
    if (item.length < 0) return nlohmann::ordered_json{{"notFetched", item.length}};
    return valueToJson(decodeValue(typeWord, item.value));
}

nlohmann::ordered_json attributesJson(const std::vector<ListedAttribute>& attributes) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& a : attributes) {
        list.push_back({{"name", sanitizedUtf8(a.name)},
                        {"type", typeWordName(a.typeWord)},
                        {"typeWord", a.typeWord},
                        {"value", valueToJson(decodedAttribute(a))}});
    }
    return list;
}

const char* formatName(const PacketListing& listing) {
    return listing.xmlMode ? "xml" : "binary";
}

}  // namespace

std::string engineErrorText(DBResult code) {
    if (auto text = engineMessageText(code)) return std::string(*text);
    return "Error " + resultCodeText(code) + ".";
}

std::string resultCodeText(DBResult code) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", code);
    return text;
}

void writeListingText(const PacketListing& listing, const std::string& fileName,
                      std::ostream& out) {
    const PacketHeader& h = listing.header;
    out << "File: " << fileName << '\n';
    if (!listing.opened) return;
    if (listing.xmlMode) {
        out << "Format: XML datapacket (mode " << listing.xmlMode << ")\n";
    } else {
        out << "Format: binary datapacket, magic " << hex(h.magic, 8) << ", version "
            << h.majorVersion << "." << h.minorVersion << ", header " << h.headerSize << " bytes\n";
        out << "Header: " << h.columnCount << " columns, " << h.rowCount << " rows, flags "
            << hex(h.packetFlags, 4) << " (" << joined(packetFlagNames(h.packetFlags), ", ")
            << "), row data at " << h.rowDataOffset << '\n';
    }

    out << "\nColumns (" << listing.columns.size() << "):\n";
    for (std::size_t i = 0; i < listing.columns.size(); ++i) {
        const ListedColumn& c = listing.columns[i];
        out << "  " << (i + 1) << ". " << sanitizedUtf8(c.name) << "  " << typeWordName(c.typeWord)
            << ", type " << hex(c.typeWord, 8);
        if (c.fieldAttributes) {
            out << ", attributes " << hex(c.fieldAttributes, 4) << " ("
                << joined(fieldAttributeNames(c.fieldAttributes), ", ") << ")";
        }
        out << '\n';
        writeAttributes(c.attributes, "       ", out);
    }

    out << "\nTable attributes (" << listing.tableAttributes.size() << "):\n";
    writeAttributes(listing.tableAttributes, "  ", out);

    if (listing.flat) {
        out << "\nRows (" << listing.rows.size() << "):\n";
        for (std::size_t r = 0; r < listing.rows.size(); ++r) {
            const ListedRow& row = listing.rows[r];
            out << "  Row " << (r + 1) << "  status " << hex(row.status, 2) << " ("
                << joined(rowStatusNames(row.status), ", ") << ")\n";
            for (std::size_t c = 0; c < row.values.size(); ++c) {
                const ListedColumn& column = listing.columns[c];
                out << "    " << sanitizedUtf8(column.name) << " = "
                    << itemText(row.values[c], column.typeWord) << '\n';
            }
        }
    } else {
        // Composite columns: the items in reading order, as raw bytes.
        out << "\nRow items (" << listing.items.size() << ", composite columns present):\n";
        for (const auto& item : listing.items) {
            out << "  "
                << (item.indicator == 1   ? std::string("NULL")
                    : item.indicator == 2 ? std::string("UNCHANGED")
                                          : "0x" + hexText(item.value))
                << '\n';
        }
    }
}

namespace {
// The reader's failure: code and text, and the failed check with its byte offset when known.
nlohmann::ordered_json errorJson(const PacketListing& listing) {
    nlohmann::ordered_json error = {{"code", listing.error},
                                    {"message", engineErrorText(listing.error)}};
    if (listing.failure.failed()) {
        error["check"] = listing.failure.check;
        error["offset"] = listing.failure.offset;
    }
    return error;
}
}  // namespace

nlohmann::ordered_json listingToJson(const PacketListing& listing, const std::string& fileName) {
    const PacketHeader& h = listing.header;
    nlohmann::ordered_json doc;
    doc["file"] = fileName;
    if (!listing.opened) {
        doc["error"] = errorJson(listing);
        return doc;
    }
    doc["format"] = formatName(listing);
    if (listing.xmlMode) {
        doc["xmlMode"] = listing.xmlMode;
    } else {
        doc["header"] = {{"magic", h.magic},
                         {"majorVersion", h.majorVersion},
                         {"minorVersion", h.minorVersion},
                         {"headerSize", h.headerSize},
                         {"columnCount", h.columnCount},
                         {"rowCount", h.rowCount},
                         {"packetFlags", h.packetFlags},
                         {"packetFlagNames", packetFlagNames(h.packetFlags)},
                         {"rowDataOffset", h.rowDataOffset}};
    }
    nlohmann::ordered_json columns = nlohmann::ordered_json::array();
    for (const auto& c : listing.columns) {
        columns.push_back({{"name", sanitizedUtf8(c.name)},
                           {"type", typeWordName(c.typeWord)},
                           {"typeWord", c.typeWord},
                           {"fieldAttributes", c.fieldAttributes},
                           {"fieldAttributeNames", fieldAttributeNames(c.fieldAttributes)},
                           {"attributes", attributesJson(c.attributes)}});
    }
    doc["columns"] = columns;
    doc["tableAttributes"] = attributesJson(listing.tableAttributes);
    if (listing.flat) {
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        for (const auto& row : listing.rows) {
            nlohmann::ordered_json values = nlohmann::ordered_json::array();
            for (std::size_t c = 0; c < row.values.size(); ++c)
                values.push_back(itemJson(row.values[c], listing.columns[c].typeWord));
            rows.push_back({{"status", row.status},
                            {"statusNames", rowStatusNames(row.status)},
                            {"values", values}});
        }
        doc["rows"] = rows;
    } else {
        nlohmann::ordered_json items = nlohmann::ordered_json::array();
        for (const auto& item : listing.items) {
            items.push_back({{"indicator", item.indicator},
                             {"length", item.length},
                             {"hex", hexText(item.value)}});
        }
        doc["items"] = items;
    }
    if (listing.error != DBIERR_NONE) {
        doc["error"] = errorJson(listing);
    }
    return doc;
}
