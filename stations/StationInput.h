#pragma once
// What the entry page makes of its inputs: the address test, trimming, the video-type text and
// the 20 values of a new station.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/FieldClasses.h"

// The stream markers an address must contain, tried in this order.
inline constexpr std::array<std::u16string_view, 4> kStreamMarkers = {u"http://", u"rtmp://",
                                                                      u"mms://", u"https://"};

// True when the address contains one of the stream markers anywhere, ignoring letter case.
bool hasStreamMarker(std::u16string_view address);

// The text without leading and trailing characters of code U+0020 or below (blanks and control
// characters).
std::u16string trimmedText(std::u16string_view text);

// The captions of the station-type items, in item order.
inline constexpr std::u16string_view kRadioStationCaption = u"普通电台";
inline constexpr std::u16string_view kTvStationCaption = u"电视台";

// The video-type text for a station-type selection: "电视台" for item 1, else the empty text
// (item 0 or no item selected).
std::u16string videoTypeText(int itemIndex);

// The category every station added on the entry page receives.
inline constexpr std::u16string_view kUserDefinedCategory = u"用户自定义";

// The inputs of the entry page as typed.
struct StationInputs {
    std::u16string name;
    std::u16string address;
    std::u16string country;
    std::u16string language;
    std::u16string bitRate;
    std::u16string stationType;  // caption of the selected station-type item, or empty
    std::u16string videoType;
};

// The 20 values a new station is appended with, in field order, each as text: the five inputs
// trimmed, the category, the two station-type texts, every other field empty.
std::vector<TVarRec> appendedStationValues(const StationInputs& inputs);
