#pragma once
// The packet stream mode: the table's property that says in which form it is streamed, the
// writer's setXmlMode and the reader's getXmlMode. 0 is the binary form; otherwise its bits:
//
//   bit 0 (1)  XML output (bit 1 asks for it too)
//   bit 2 (4)  write the metadata
//   bit 3 (8)  UTF-8 text; without it, text in the table's code page

#include <cstdint>

constexpr std::uint32_t kXmlModeOutputBits = 0x03;
constexpr std::uint32_t kXmlModeMetadata = 0x04;
constexpr std::uint32_t kXmlModeUtf8 = 0x08;

constexpr std::uint32_t kStreamModeBinary = 0;
// An XML document with metadata, in the code page; what a read XML packet leaves the table with.
constexpr std::uint32_t kStreamModeXml = 0x01 | kXmlModeMetadata;
// The same in UTF-8.
constexpr std::uint32_t kStreamModeXmlUtf8 = kStreamModeXml | kXmlModeUtf8;
static_assert(kStreamModeXml == 5 && kStreamModeXmlUtf8 == 13);
