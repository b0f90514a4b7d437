#include "stations/WorkingFileRecovery.h"

#include <exception>
#include <memory>
#include <vector>

#include "dataset/ClientDataSet.h"
#include "dataset/Streams.h"
#include "platform/FileOps.h"
#include "platform/Unicode.h"
#include "stations/StationSchema.h"

namespace {

bool hasStationFields(TClientDataSet& table) {
    const TFields& fields = table.Fields();
    if (fields.Count() != static_cast<int>(kStationFieldCount)) return false;
    for (std::size_t i = 0; i < kStationFieldCount; ++i) {
        const StationField& expected = stationSchema()[i];
        const TField& field = *fields[static_cast<int>(i)];
        if (field.FieldName() != expected.name || field.DataType() != expected.type) return false;
        if (expected.type == ftString && field.Size() != expected.size) return false;
    }
    return true;
}

}  // namespace

LeftStations findLeftStations(const std::u16string& path) {
    LeftStations left;
    std::vector<std::uint8_t> bytes;
    if (!fileExists(path) || !readWholeFile(path, bytes).ok() || bytes.empty()) return left;
    try {
        TClientDataSet probe(u"WorkingFile");
        TMemoryStream stream(bytes);
        probe.LoadFromStream(stream);
        if (!hasStationFields(probe)) return left;
        left.count = probe.RecordCount();
    } catch (const std::exception&) {
        return LeftStations{};
    }
    if (left.count > 0)
        left.packet = std::make_shared<const std::vector<unsigned char>>(std::move(bytes));
    else
        left.count = 0;
    return left;
}

void openLeftStations(TClientDataSet& table, const LeftStations& left) {
    TMemoryStream stream(*left.packet);
    table.LoadFromStream(stream);
}

std::u16string recoveryQuestion(int count) {
    return u"发现上次未生成文件的 " + utf8ToUtf16(std::to_string(count)) + u" 个电台，是否恢复？";
}
