#include "interchange/JsonStationReader.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "interchange/EntryToStation.h"
#include "interchange/StationColumns.h"
#include "interchange/TextLines.h"

namespace {

using Json = nlohmann::json;

// Follows the document as the parser reports it and collects the entries of the station array.
// Depths count open containers: the root array or object is at depth 1.
class StationListSax final : public nlohmann::json_sax<Json> {
  public:
    explicit StationListSax(std::string_view text) : FText(text) {}

    bool null() override { return scalar(std::nullopt, false); }
    bool boolean(bool) override { return scalar(std::nullopt, false); }
    bool number_integer(number_integer_t value) override {
        return scalar(std::to_string(value), true);
    }
    bool number_unsigned(number_unsigned_t value) override {
        return scalar(std::to_string(value), true);
    }
    bool number_float(number_float_t, const string_t& text) override { return scalar(text, true); }
    bool string(string_t& value) override { return scalar(std::move(value), false); }
    bool binary(binary_t&) override { return scalar(std::nullopt, false); }

    bool start_object(std::size_t) override {
        const std::size_t depth = FOpen.size() + 1;
        if (depth > kMaxJsonDepth) return tooDeep();
        if (depth == 1) {
            FRootIsObject = true;
        } else if (FListDepth != 0 && depth == FListDepth + 1) {
            FEntryDepth = depth;
            FEntryKey.reset();
            FListHasObject = true;
        }
        FOpen.push_back('o');
        return true;
    }

    bool key(string_t& name) override {
        const std::size_t depth = FOpen.size();
        if (FEntryDepth != 0 && depth == FEntryDepth) {
            FEntryKey = stationColumnNamed(name);
        } else if (FRootIsObject && depth == 1) {
            FRootKey = stationColumnNamed(name);
        }
        return true;
    }

    bool end_object() override {
        if (FEntryDepth != 0 && FOpen.size() == FEntryDepth) {
            FEntryDepth = 0;
            if (!addToList(FEntryBuilder.take())) return false;
        }
        FOpen.pop_back();
        return true;
    }

    bool start_array(std::size_t) override {
        const std::size_t depth = FOpen.size() + 1;
        if (depth > kMaxJsonDepth) return tooDeep();
        if (depth == 1) {
            startList(depth);
        } else if (FListDepth != 0 && depth == FListDepth + 1) {
            if (!addToList(StationEntry{})) return false;  // an element that is not an object
        } else if (FEntryDepth != 0 && depth == FEntryDepth + 1 &&
                   FEntryKey == StationColumn::Tags) {
            FTagsDepth = depth;
            FTags.clear();
            FTagCount = 0;
        } else if (FRootIsObject && depth == 2 && FRootKey == StationColumn::Tags) {
            FTagsDepth = depth;
            FTags.clear();
            FTagCount = 0;
        } else if (FRootIsObject && depth == 2 && !FChosen) {
            startList(depth);
        }
        FOpen.push_back('a');
        return true;
    }

    bool end_array() override {
        const std::size_t depth = FOpen.size();
        if (FTagsDepth != 0 && depth == FTagsDepth) {
            FTagsDepth = 0;
            builder().set(StationColumn::Tags, utf8Text(FTags));
        } else if (FListDepth != 0 && depth == FListDepth) {
            // The root array is the list whatever it holds; a member's array only when it
            // holds a station object.
            if (depth == 1 || FListHasObject) {
                FChosen = true;
                FEntries = std::move(FList);
            }
            FList.clear();
            FListDepth = 0;
        }
        FOpen.pop_back();
        return true;
    }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) override {
        std::string detail = e.what();
        // "[json.exception.parse_error.101] parse error at line 1, column 2: ..." -> the part
        // after the tag and the position, which the line already gives.
        if (const std::size_t tag = detail.find("] "); tag != std::string::npos) {
            detail.erase(0, tag + 2);
        }
        if (const std::size_t colon = detail.find(": "); colon != std::string::npos) {
            detail.erase(0, colon + 2);
        }
        FError = readError(PlaylistErrorKind::JsonMalformed,
                           lineOfOffset(FText, position == 0 ? 0 : position - 1), detail);
        return false;
    }

    // Which array is the station list is known only at the end, so the entries are handed
    // over then.
    PlaylistError handOver(PlaylistEntrySink& sink) {
        if (FError.failed()) return FError;
        if (FChosen) {
            for (const StationEntry& entry : FEntries) sink.take(entry);
        } else if (FRootIsObject && FRootHasStationValue) {
            sink.take(FRootBuilder.take());
        } else {
            return readError(PlaylistErrorKind::JsonNoStations);
        }
        return {};
    }

  private:
    bool scalar(std::optional<std::string> text, bool number) {
        const std::size_t depth = FOpen.size();
        if (FTagsDepth != 0 && depth == FTagsDepth) {
            if (text && !number) {
                if (FTagCount++ > 0) FTags.push_back(',');
                FTags += *text;
            }
        } else if (FEntryDepth != 0 && depth == FEntryDepth) {
            if (FEntryKey) setValue(FEntryBuilder, *FEntryKey, std::move(text), number);
        } else if (FListDepth != 0 && depth == FListDepth) {
            return addToList(StationEntry{});
        } else if (FRootIsObject && depth == 1 && FRootKey) {
            setValue(FRootBuilder, *FRootKey, std::move(text), number);
            FRootHasStationValue = true;
        }
        return true;
    }

    static void setValue(EntryBuilder& builder, StationColumn column,
                         std::optional<std::string> text, bool number) {
        if (!text) return;
        if (number && column == StationColumn::BitRate) {
            builder.set(column, bitRateFromNumber(std::strtod(text->c_str(), nullptr)));
        } else {
            builder.set(column, utf8Text(*text));
        }
    }

    EntryBuilder& builder() { return FEntryDepth != 0 ? FEntryBuilder : FRootBuilder; }

    void startList(std::size_t depth) {
        FListDepth = depth;
        FListHasObject = false;
        FList.clear();
    }

    bool addToList(StationEntry entry) {
        FList.push_back(std::move(entry));
        if (FList.size() <= kMaxPlaylistEntries) return true;
        FError.kind = PlaylistErrorKind::TooManyEntries;
        return false;
    }

    bool tooDeep() {
        FError = readError(PlaylistErrorKind::TooDeep, 0,
                           "values nested more than " + std::to_string(kMaxJsonDepth) + " deep");
        return false;
    }

    std::string_view FText;
    std::vector<char> FOpen;  // 'o' or 'a' per open container
    bool FRootIsObject = false;

    std::size_t FListDepth = 0;  // the array being read as a station list; 0 when none
    bool FListHasObject = false;
    std::vector<StationEntry> FList;
    bool FChosen = false;
    std::vector<StationEntry> FEntries;

    std::size_t FEntryDepth = 0;  // the station object being read; 0 when none
    std::optional<StationColumn> FEntryKey;
    EntryBuilder FEntryBuilder;

    std::optional<StationColumn> FRootKey;  // a root object read as one station
    EntryBuilder FRootBuilder;
    bool FRootHasStationValue = false;

    std::size_t FTagsDepth = 0;  // an array of tags being read; 0 when none
    std::string FTags;
    std::size_t FTagCount = 0;

    PlaylistError FError;
};

}  // namespace

PlaylistError readJsonStations(std::string_view text, PlaylistEntrySink& sink) {
    StationListSax sax(text);
    try {
        Json::sax_parse(text.begin(), text.end(), &sax);
    } catch (const std::exception& e) {
        // The parser reports its faults to the handler; anything it throws instead is a fault
        // of the document as well.
        return readError(PlaylistErrorKind::JsonMalformed, 0, e.what());
    }
    return sax.handOver(sink);
}

PlaylistReadResult readJsonStations(std::string_view text) {
    return collectEntries([text](PlaylistEntrySink& sink) { return readJsonStations(text, sink); });
}
