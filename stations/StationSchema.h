#pragma once
// The station table: its 20 fields in column order. Every datapacket the program writes carries
// these names, types and sizes; the entry page appends its values in this order. This is the one
// place the schema is written down: the window, the tools, the benchmarks and the tests all
// take it from here, so adding a field is one edit (a name below and its row in the schema).

#include <array>
#include <cstdint>
#include <string_view>

#include "dataset/DBTypes.h"

class TFieldDefs;

// The field names, character for character as every station file stores them.
namespace StationFieldName {
inline constexpr std::u16string_view Name = u"电台名称";
inline constexpr std::u16string_view Country = u"电台国家";
inline constexpr std::u16string_view Category = u"电台类别";
inline constexpr std::u16string_view BitRate = u"编码率";
inline constexpr std::u16string_view StartTime = u"开始时间";
inline constexpr std::u16string_view EndTime = u"结束时间";
inline constexpr std::u16string_view Favourite = u"收藏";
inline constexpr std::u16string_view Language = u"语言类型";
inline constexpr std::u16string_view Address = u"电台地址";
inline constexpr std::u16string_view ScheduleType = u"计划类型";
inline constexpr std::u16string_view CompletionAction = u"完成动作";
inline constexpr std::u16string_view Period = u"周期";
inline constexpr std::u16string_view Interval = u"间隔";
inline constexpr std::u16string_view VideoType = u"视频类型";
inline constexpr std::u16string_view Group = u"电台分组";
inline constexpr std::u16string_view StationType = u"电台类型";
inline constexpr std::u16string_view Microblog = u"微博";
inline constexpr std::u16string_view WebSite = u"电台网址";
inline constexpr std::u16string_view Custom1 = u"自定义1";
inline constexpr std::u16string_view Custom2 = u"自定义2";
}  // namespace StationFieldName

struct StationField {
    std::u16string_view name;
    TFieldType type;
    std::int32_t size;  // text fields: bytes in the ANSI code page; time and integer fields: 0
};

inline constexpr std::array kStationSchema = {
    StationField{StationFieldName::Name, ftString, 20},
    StationField{StationFieldName::Country, ftString, 10},
    StationField{StationFieldName::Category, ftString, 20},
    StationField{StationFieldName::BitRate, ftString, 20},
    StationField{StationFieldName::StartTime, ftTime, 0},
    StationField{StationFieldName::EndTime, ftTime, 0},
    StationField{StationFieldName::Favourite, ftString, 5},
    StationField{StationFieldName::Language, ftString, 20},
    StationField{StationFieldName::Address, ftString, 100},
    StationField{StationFieldName::ScheduleType, ftString, 10},
    StationField{StationFieldName::CompletionAction, ftString, 10},
    StationField{StationFieldName::Period, ftString, 10},
    StationField{StationFieldName::Interval, ftInteger, 0},
    StationField{StationFieldName::VideoType, ftString, 10},
    StationField{StationFieldName::Group, ftString, 10},
    StationField{StationFieldName::StationType, ftString, 10},
    StationField{StationFieldName::Microblog, ftString, 90},
    StationField{StationFieldName::WebSite, ftString, 100},
    StationField{StationFieldName::Custom1, ftString, 10},
    StationField{StationFieldName::Custom2, ftString, 10},
};

inline constexpr std::size_t kStationFieldCount = kStationSchema.size();

inline const std::array<StationField, kStationFieldCount>& stationSchema() {
    return kStationSchema;
}

// The position of a field in the schema (and so in every row), or -1 for a name it lacks.
int stationFieldIndex(std::u16string_view name);

// Adds the station table's field definitions, in schema order, none of them required.
void defineStationFields(TFieldDefs& fieldDefs);
