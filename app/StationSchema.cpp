#include "StationSchema.h"

#include <string>

#include "FieldDefs.h"

const std::array<StationField, kStationFieldCount>& stationSchema() {
    static constexpr std::array<StationField, kStationFieldCount> schema = {{
        {u"电台名称", ftString, 20},   // station name
        {u"电台国家", ftString, 10},   // country
        {u"电台类别", ftString, 20},   // category
        {u"编码率", ftString, 20},     // bit rate
        {u"开始时间", ftTime, 0},      // start time
        {u"结束时间", ftTime, 0},      // end time
        {u"收藏", ftString, 5},        // favourite mark
        {u"语言类型", ftString, 20},   // language
        {u"电台地址", ftString, 100},  // stream address
        {u"计划类型", ftString, 10},   // schedule type
        {u"完成动作", ftString, 10},   // action on completion
        {u"周期", ftString, 10},       // period
        {u"间隔", ftInteger, 0},       // interval
        {u"视频类型", ftString, 10},   // video type
        {u"电台分组", ftString, 10},   // station group
        {u"电台类型", ftString, 10},   // station type
        {u"微博", ftString, 90},       // microblog account
        {u"电台网址", ftString, 100},  // station web site
        {u"自定义1", ftString, 10},    // custom field 1
        {u"自定义2", ftString, 10},    // custom field 2
    }};
    return schema;
}

void defineStationFields(TFieldDefs& fieldDefs) {
    for (const StationField& field : stationSchema())
        fieldDefs.Add(std::u16string(field.name), field.type, field.size, false);
}
