#pragma once
// The station table's definitions, added to a dataset the way the window adds them.

#include <string>
#include <vector>

#include "ClientDataSet.h"

struct StationFieldDef {
    std::u16string name;
    TFieldType type;
    int size;
};

inline const std::vector<StationFieldDef>& stationFieldDefs() {
    static const std::vector<StationFieldDef> defs = {
        {u"电台名称", ftString, 20}, {u"电台国家", ftString, 10}, {u"电台类别", ftString, 20},
        {u"编码率", ftString, 20},   {u"开始时间", ftTime, 0},    {u"结束时间", ftTime, 0},
        {u"收藏", ftString, 5},      {u"语言类型", ftString, 20}, {u"电台地址", ftString, 100},
        {u"计划类型", ftString, 10}, {u"完成动作", ftString, 10}, {u"周期", ftString, 10},
        {u"间隔", ftInteger, 0},     {u"视频类型", ftString, 10}, {u"电台分组", ftString, 10},
        {u"电台类型", ftString, 10}, {u"微博", ftString, 90},     {u"电台网址", ftString, 100},
        {u"自定义1", ftString, 10},  {u"自定义2", ftString, 10},
    };
    return defs;
}

inline void addStationFieldDefs(TClientDataSet& ds) {
    for (const auto& d : stationFieldDefs()) ds.FieldDefs().Add(d.name, d.type, d.size, false);
}
