#pragma once
// Encoding of field definitions into engine field descriptors and back.

#include <vector>

#include "dataset/FieldDefs.h"
#include "engine/DSTypes.h"
#include "engine/IDSBase.h"

// The engine type and sub-type of a field type.
struct EngineFieldType {
    std::int32_t type;
    std::int32_t subType;
};
EngineFieldType engineFieldType(TFieldType type);

// One definition as an engine descriptor (name cut to 31 UTF-8 bytes, type, units, attributes).
DSFLDDesc fieldDefToDescriptor(const TFieldDef& def);

// The descriptors of every definition in collection order, children after their parent.
std::vector<DSFLDDesc> fieldDefsToDescriptors(const TFieldDefs& defs);

// Rebuilds the definitions from the table's descriptors (names made unique with "%s_%d", long
// names restored from the "FIELDNAME" parameter). Engine failures reach raise.
void descriptorsToFieldDefs(IDSBase& table, TFieldDefs& defs, void (*raise)(IDSBase&, DBResult));

constexpr const char* kFieldNameParameter = "FIELDNAME";
