#include "StationInput.h"

namespace {

char16_t asciiUpper(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
}

// Ordinal search ignoring the case of ASCII letters; the markers are ASCII, so other letters
// never need folding to match them.
bool containsIgnoringAsciiCase(std::u16string_view text, std::u16string_view marker) {
    if (marker.size() > text.size()) return false;
    for (std::size_t start = 0; start + marker.size() <= text.size(); ++start) {
        std::size_t i = 0;
        while (i < marker.size() && asciiUpper(text[start + i]) == asciiUpper(marker[i])) ++i;
        if (i == marker.size()) return true;
    }
    return false;
}

}  // namespace

bool hasStreamMarker(std::u16string_view address) {
    for (std::u16string_view marker : kStreamMarkers) {
        if (containsIgnoringAsciiCase(address, marker)) return true;
    }
    return false;
}

std::u16string trimmedText(std::u16string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] <= u' ') ++first;
    while (last > first && text[last - 1] <= u' ') --last;
    return std::u16string(text.substr(first, last - first));
}

std::u16string videoTypeText(int itemIndex) {
    return itemIndex == 1 ? std::u16string(kTvStationCaption) : std::u16string();
}

std::vector<TVarRec> appendedStationValues(const StationInputs& inputs) {
    const std::u16string empty;
    const std::u16string values[] = {
        trimmedText(inputs.name),              // 电台名称
        trimmedText(inputs.country),           // 电台国家
        std::u16string(kUserDefinedCategory),  // 电台类别
        trimmedText(inputs.bitRate),           // 编码率
        empty,                                 // 开始时间
        empty,                                 // 结束时间
        empty,                                 // 收藏
        trimmedText(inputs.language),          // 语言类型
        trimmedText(inputs.address),           // 电台地址
        empty,                                 // 计划类型
        empty,                                 // 完成动作
        empty,                                 // 周期
        empty,                                 // 间隔
        inputs.videoType,                      // 视频类型
        empty,                                 // 电台分组
        inputs.stationType,                    // 电台类型
        empty,                                 // 微博
        empty,                                 // 电台网址
        empty,                                 // 自定义1
        empty,                                 // 自定义2
    };
    std::vector<TVarRec> records;
    records.reserve(std::size(values));
    for (const std::u16string& value : values) records.push_back(TVarRec::unicode(value));
    return records;
}
