#pragma once
// The attribute names the XML datapacket knows. A known attribute is written as an attribute of
// the PARAMS or FIELD element; any other becomes a PARAM element of its own. When read, a known
// attribute's text is converted under the type the table gives it; every other attribute is
// read as a string.

#include <cstdint>
#include <string_view>

// True when `name` (compared without regard to case) is written as an element attribute.
bool isXmlKnownAttribute(std::string_view name);

// The type word under which the reader converts an element attribute named `name`: the type of
// a known attribute, "IntArray" for "MD_FIELDLINKS", "string" for every other name.
std::uint32_t xmlAttributeReadType(std::string_view name);
