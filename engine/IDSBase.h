#pragma once
// One in-memory table of the engine. Every operation answers a result code; the engine never
// throws. Tables are owned through std::shared_ptr and die with their last reference.

#include <cstdint>
#include <memory>
#include <vector>

#include "DSTypes.h"

class IDSBase {
public:
    virtual ~IDSBase() = default;

    // Defines the table from fieldCount descriptors; name is the UTF-8 table name.
    virtual DBResult defineTable(std::uint32_t fieldCount, const DSFLDDesc* descriptors,
                                 const char* name) = 0;

    // Optional parameters (kept attributes) of the table (fieldNo 0) or of one field.
    // getOptionalParameter answers the type word and the value's length; value, when given,
    // receives up to *length bytes (set *length to the buffer's capacity before the call).
    virtual DBResult getOptionalParameter(std::uint32_t fieldNo, const char* name,
                                          std::uint32_t* typeWord, std::uint32_t* length,
                                          void* value) = 0;
    virtual DBResult addOptionalParameter(std::uint32_t fieldNo, const char* name,
                                          std::uint32_t typeWord, std::uint32_t length,
                                          const void* value) = 0;

    virtual DBResult getTableInfo(DSTableInfo* info) = 0;
    // Copies the completed descriptors into an array of getTableInfo().iFields entries.
    virtual DBResult getFieldDescriptors(DSFLDDesc* descriptors) = 0;

    // The code's text, at most 126 characters, into text (capacity bytes).
    virtual DBResult getErrorText(DBResult code, char* text, std::size_t capacity) = 0;

    virtual DBResult getProperty(std::uint32_t id, std::uint32_t* value) = 0;
    virtual DBResult setProperty(std::uint32_t id, std::uint32_t value) = 0;

    virtual DBResult dropOptionalParameter(std::uint32_t fieldNo, const char* name) = 0;
};

using IDSBasePtr = std::shared_ptr<IDSBase>;
