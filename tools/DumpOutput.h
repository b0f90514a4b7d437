#pragma once
// The two forms in which `cdstool dump` prints a packet listing: readable text and JSON.

#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/PacketListing.h"

// Header, columns with types, widths and attributes, table attributes, then every row with its
// status and one line per value ("NULL" and "UNCHANGED" for the marks).
void writeListingText(const PacketListing& listing, const std::string& fileName, std::ostream& out);

// The same content as a JSON document. A read failure adds "error": {"code", "message"}.
nlohmann::ordered_json listingToJson(const PacketListing& listing, const std::string& fileName);

// The engine's text for a result code, or "Error 0x1234." for a code without text.
std::string engineErrorText(DBResult code);
// "0x4005": a result code as four hex digits.
std::string resultCodeText(DBResult code);
