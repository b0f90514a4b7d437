#include "bench/StationRows.h"

#include <random>
#include <stdexcept>

#include "engine/DSBASE.h"
#include "stations/StationSchema.h"

namespace {
// Common characters of station names; every one is a double-byte character of code page 936.
constexpr char16_t kNameCharacters[] =
    u"中国国际广播电台之声音乐新闻经济交通文艺都市生活旅游体育财经故事戏曲"
    u"北京上海广州深圳天津重庆南京杭州成都武汉西安长沙福建浙江江苏山东河南"
    u"频道综合城市华夏环球民族老年少儿农村健康教育";

constexpr char kAddressCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

const char16_t* const kCountries[] = {u"中国", u"中国", u"中国", u"", u"日本", u"美国"};
const char16_t* const kBitRates[] = {u"128", u"64", u"", u"", u"320"};
const char16_t* const kLanguages[] = {u"汉语", u"汉语", u"", u"粤语", u"英语"};
const char16_t* const kKinds[] = {u"广播", u"广播", u"广播", u"电视"};

template <typename T, std::size_t N>
const T& pick(const T (&items)[N], std::mt19937& random) {
    return items[random() % N];
}
}  // namespace

void addStationFields(TClientDataSet& dataSet) {
    defineStationFields(dataSet.FieldDefs());
}

StationRowPool::StationRowPool(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    const std::size_t nameAlphabet = std::char_traits<char16_t>::length(kNameCharacters);
    FRows.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        std::u16string name;
        const std::size_t characters = 4 + random() % 5;  // 8 to 16 bytes in code page 936
        for (std::size_t c = 0; c < characters; ++c)
            name += kNameCharacters[random() % nameAlphabet];

        const std::size_t addressLength = 40 + random() % 21;
        std::u16string address = u"http://radio";
        address += static_cast<char16_t>(u'0' + random() % 10);
        address += u".example.cn/live/";
        while (address.size() < addressLength - 5)
            address += static_cast<char16_t>(kAddressCharacters[random() % 36]);
        address += u".m3u8";

        std::vector<TVarRec> values(kStationFieldCount, TVarRec::unicode(u""));
        const auto set = [&values](std::u16string_view field, std::u16string value) {
            values[static_cast<std::size_t>(stationFieldIndex(field))] = TVarRec::unicode(value);
        };
        set(StationFieldName::Name, name);
        set(StationFieldName::Country, pick(kCountries, random));
        set(StationFieldName::Category, u"用户自定义");
        set(StationFieldName::BitRate, pick(kBitRates, random));
        set(StationFieldName::Language, pick(kLanguages, random));
        set(StationFieldName::Address, address);
        set(StationFieldName::StationType, pick(kKinds, random));
        FRows.push_back(std::move(values));
    }
}

std::unique_ptr<TClientDataSet> buildStationDataSet(std::size_t rowCount,
                                                    const StationRowPool& pool) {
    auto dataSet = std::make_unique<TClientDataSet>(u"ClientDataSet1");
    addStationFields(*dataSet);
    dataSet->CreateDataSet();
    for (std::size_t i = 0; i < rowCount; ++i) dataSet->AppendRecord(pool.row(i));
    dataSet->MergeChangeLog();
    return dataSet;
}

std::vector<unsigned char> streamStationTable(TClientDataSet& dataSet) {
    std::vector<unsigned char> packet;
    if (dataSet.DSBase()->streamTable(packet) != DBIERR_NONE)
        throw std::runtime_error("streamTable failed");
    return packet;
}

std::size_t columnStoreBytes(TClientDataSet& dataSet) {
    const auto* table = dynamic_cast<const DSBASE*>(dataSet.DSBase().get());
    if (!table) throw std::runtime_error("not an engine table");
    return static_cast<std::size_t>(table->liveCount()) * table->store().bytesPerSlot();
}
