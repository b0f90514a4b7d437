#pragma once
// DSBASE: one in-memory table of the engine behind IDSBase.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "DSIndex.h"
#include "IDSBase.h"

class DSBASE : public IDSBase, public std::enable_shared_from_this<DSBASE> {
public:
    DSBASE();
    ~DSBASE() override;

    DBResult defineTable(std::uint32_t fieldCount, const DSFLDDesc* descriptors,
                         const char* name) override;
    DBResult getOptionalParameter(std::uint32_t fieldNo, const char* name,
                                  std::uint32_t* typeWord, std::uint32_t* length,
                                  void* value) override;
    DBResult addOptionalParameter(std::uint32_t fieldNo, const char* name,
                                  std::uint32_t typeWord, std::uint32_t length,
                                  const void* value) override;
    DBResult getTableInfo(DSTableInfo* info) override;
    DBResult getFieldDescriptors(DSFLDDesc* descriptors) override;
    DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override;
    DBResult getProperty(std::uint32_t id, std::uint32_t* value) override;
    DBResult setProperty(std::uint32_t id, std::uint32_t value) override;
    DBResult dropOptionalParameter(std::uint32_t fieldNo, const char* name) override;

    // Engine-internal access for cursors, the store and the packet code.
    std::recursive_mutex& lock() { return FLock; }
    bool isDefined() const { return FDefined; }
    const std::vector<DSFLDDesc>& fields() const { return FFields; }
    std::uint32_t recordLength() const { return FRecordLength; }
    std::shared_ptr<DSIDX> defaultOrder() const;

    // A kept attribute of the table (fieldNo 0) or of a field.
    struct OptionalParameter {
        std::uint32_t fieldNo;
        std::string name;
        std::uint32_t typeWord;
        std::vector<unsigned char> value;
    };
    const std::vector<OptionalParameter>& optionalParameters() const { return FOptParams; }

private:
    DBResult expandDescriptors(std::uint32_t fieldCount, const DSFLDDesc* descriptors,
                               std::vector<DSFLDDesc>& out,
                               std::vector<std::uint32_t>* definedToField) const;
    DBResult computeLayout(std::vector<DSFLDDesc>& fields, std::uint32_t& recordLength) const;
    void createIndex(const std::string& name, bool changeIndex);
    void resetDefinition();
    std::vector<OptionalParameter>::iterator findOptionalParameter(std::uint32_t fieldNo,
                                                                   const char* name);

    std::recursive_mutex FLock;
    bool FDefined = false;
    std::string FName;
    std::vector<DSFLDDesc> FDefinedFields;  // as handed to defineTable (arrays unexpanded)
    std::vector<DSFLDDesc> FFields;         // completed, arrays expanded
    std::vector<std::uint32_t> FDefinedToField;  // FDefinedFields[i] -> index into FFields
    std::uint32_t FRecordLength = 0;
    std::vector<unsigned char> FScratch;

    int FAutoIncField = -1;  // 0-based field index, or -1
    std::uint32_t FNextAutoInc = 1;

    std::vector<std::shared_ptr<DSIDX>> FIndexes;
    std::uint32_t FNextIndexId = 1;

    std::vector<OptionalParameter> FOptParams;

    // Properties.
    bool FLogChanges = true;
    bool FReadOnly = false;
    bool FConstraintsDisabled = false;
    bool FPartial = false;
    bool FHoldsDelta = false;
    bool FOmitMetadata = false;
    bool FReportUndefinedArrays = false;
    std::uint32_t FChangeIndexView = 0;
    std::uint32_t FStreamMode = 0;
    bool FDeletesDisabled = false;
    bool FInsertsDisabled = false;
    bool FModifiesDisabled = false;
    bool FKeepTrailingSpaces = false;
    std::uint32_t FChangeCounter = 0;
    bool FUtf8Metadata = false;
    bool FUtf8ErrorText = false;
    std::uint32_t FCodePage = 0;
    std::uint32_t FLocale = 0;
    std::map<std::uint32_t, std::uint32_t> FOtherProperties;  // 9, 12-15, 17, 18
};
