#pragma once
// The station table's descriptors as the dataset layer hands them to defineTable.

#include <cstring>
#include <string>
#include <vector>

#include "DSTypes.h"

struct StationColumn {
    const char* name;
    std::int32_t type;
    std::int32_t width;
};

inline const std::vector<StationColumn>& stationColumns() {
    static const std::vector<StationColumn> columns = {
        {"电台名称", fldZSTRING, 20}, {"电台国家", fldZSTRING, 10}, {"电台类别", fldZSTRING, 20},
        {"编码率", fldZSTRING, 20},   {"开始时间", fldTIME, 0},     {"结束时间", fldTIME, 0},
        {"收藏", fldZSTRING, 5},      {"语言类型", fldZSTRING, 20}, {"电台地址", fldZSTRING, 100},
        {"计划类型", fldZSTRING, 10}, {"完成动作", fldZSTRING, 10}, {"周期", fldZSTRING, 10},
        {"间隔", fldINT32, 0},        {"视频类型", fldZSTRING, 10}, {"电台分组", fldZSTRING, 10},
        {"电台类型", fldZSTRING, 10}, {"微博", fldZSTRING, 90},     {"电台网址", fldZSTRING, 100},
        {"自定义1", fldZSTRING, 10},  {"自定义2", fldZSTRING, 10},
    };
    return columns;
}

inline DSFLDDesc makeDescriptor(const char* name, std::int32_t type, std::int32_t units1) {
    DSFLDDesc d;
    std::memset(&d, 0, sizeof d);
    std::memcpy(d.szName, name, strnlen(name, 31));
    d.iFldType = type;
    d.iUnits1 = units1;
    return d;
}

inline std::vector<DSFLDDesc> stationDescriptors() {
    std::vector<DSFLDDesc> out;
    for (const auto& c : stationColumns()) out.push_back(makeDescriptor(c.name, c.type, c.width));
    return out;
}
