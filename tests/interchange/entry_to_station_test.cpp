// The rules that make an entry a station: skip reasons, cuts, TV, the fields a list adds, and
// duplicates within an import and against the table.

#include "interchange/EntryToStation.h"

#include <limits>

#include "dataset/ClientDataSet.h"
#include "interchange/DuplicateAddressIndex.h"
#include "interchange/StationTable.h"
#include "stations/StationInput.h"
#include "tests/interchange/InterchangeTestSupport.h"

namespace {

StationEntry withAddress(std::u16string address, std::u16string name = u"Name") {
    StationEntry e;
    e.address = std::move(address);
    e.name = std::move(name);
    return e;
}

std::string value(const StationValues& station, std::u16string_view field) {
    return u8(stationValue(station, field));
}

TEST(EntryToStation, SkipReasonsAndAddressLimits) {
    const std::u16string ascii93(93, u'a'), ascii94(94, u'a');
    const std::u16string cjk41(41, u'中'), cjk42(42, u'中');
    struct Case {
        std::u16string address;
        SkipReason skip;
    };
    const Case cases[] = {
        {u"", SkipReason::NoAddress},
        {u" \t\r\n", SkipReason::NoAddress},
        {u"ftp://files.example/feed", SkipReason::InvalidAddress},
        {u"www.example.com/live", SkipReason::InvalidAddress},
        {u"http:/one-slash.example", SkipReason::InvalidAddress},
        {u"http://a.example/\nsecond-line", SkipReason::InvalidAddress},
        {u"http://a.\u0001example/", SkipReason::InvalidAddress},
        {u"http://a.example/\u0001", SkipReason::None},                // trimmed away like a blank
        {u"http://a.example/\U0001F600", SkipReason::InvalidAddress},  // not in code page 936
        {u"Listen: HTTPS://a.example/", SkipReason::None},  // a marker anywhere, any case
        {u"RTMP://a.example/live", SkipReason::None},
        {u"mms://a.example/live", SkipReason::None},
        {u"  http://a.example/padded  ", SkipReason::None},
        {u"http://" + ascii93, SkipReason::None},  // 100 bytes
        {u"http://" + ascii94, SkipReason::AddressTooLong},
        {u"http://example.cn/" + cjk41, SkipReason::None},  // 18 + 82 bytes
        {u"http://example.cn/" + cjk42, SkipReason::AddressTooLong},
        {u"ftp://" + ascii94 + ascii94, SkipReason::InvalidAddress},  // invalid before too long
    };
    for (const Case& c : cases) {
        EXPECT_EQ(entryToStation(withAddress(c.address)).skip, c.skip) << u8(c.address);
    }
}

TEST(EntryToStation, AStationGetsTheTypedValuesAndWhatTheListAdds) {
    StationEntry e;
    e.name = u"  中国之声\r\n频道  ";
    e.address = u" http://cnr.example/zgzs ";
    e.country = u" 中国 ";
    e.language = u"汉语";
    e.bitRate = u" 128k ";
    e.homepage = u"http://www.cnr.cn/";
    e.group = u"";
    e.tags = u" , news ,talk";
    e.codec = u"MP3";
    const EntryConversion converted = entryToStation(e);
    ASSERT_EQ(converted.skip, SkipReason::None);
    EXPECT_FALSE(converted.nameCut);
    const StationValues& s = converted.values;
    EXPECT_EQ(value(s, StationFieldName::Name), "中国之声 频道");
    EXPECT_EQ(value(s, StationFieldName::Address), "http://cnr.example/zgzs");
    EXPECT_EQ(value(s, StationFieldName::Country), "中国");
    EXPECT_EQ(value(s, StationFieldName::Language), "汉语");
    EXPECT_EQ(value(s, StationFieldName::BitRate), "128k");
    EXPECT_EQ(value(s, StationFieldName::Category), "用户自定义");
    EXPECT_EQ(value(s, StationFieldName::StationType), "普通电台");
    EXPECT_EQ(value(s, StationFieldName::VideoType), "");
    EXPECT_EQ(value(s, StationFieldName::WebSite), "http://www.cnr.cn/");
    EXPECT_EQ(value(s, StationFieldName::Group), "news");
    for (std::u16string_view empty :
         {StationFieldName::StartTime, StationFieldName::EndTime, StationFieldName::Favourite,
          StationFieldName::ScheduleType, StationFieldName::CompletionAction,
          StationFieldName::Period, StationFieldName::Interval, StationFieldName::Microblog,
          StationFieldName::Custom1, StationFieldName::Custom2}) {
        EXPECT_EQ(value(s, empty), "") << u8(std::u16string(empty));
    }

    e.group = u" Talk ";
    e.television = true;
    const StationValues tv = entryToStation(e).values;
    EXPECT_EQ(value(tv, StationFieldName::Group), "Talk") << "a group wins over the tags";
    EXPECT_EQ(value(tv, StationFieldName::StationType), "电视台");
    EXPECT_EQ(value(tv, StationFieldName::VideoType), "电视台");
    EXPECT_TRUE(isTelevisionStation(tv));
}

TEST(EntryToStation, TheValuesAreThoseOfATypedStationWithTheSameInputs) {
    for (bool television : {false, true}) {
        StationEntry e;
        e.name = u" Name ";
        e.address = u" http://a.example/ ";
        e.country = u"\tCN";
        e.language = u"汉语 ";
        e.bitRate = u"64k";
        e.television = television;
        StationInputs inputs{e.name,
                             e.address,
                             e.country,
                             e.language,
                             e.bitRate,
                             std::u16string(television ? u"电视台" : u"普通电台"),
                             videoTypeText(television ? 1 : 0)};
        const std::vector<TVarRec> typed = appendedStationValues(inputs);
        const StationValues imported = entryToStation(e).values;
        for (std::size_t i = 0; i < kStationFieldCount; ++i) {
            EXPECT_EQ(u8(imported[i]), u8(typed[i].VUnicode))
                << u8(std::u16string(stationSchema()[i].name));
        }
    }
}

TEST(EntryToStation, NamesLongerThanTheFieldAreCountedAndStoredAsATypedName) {
    struct Case {
        std::u16string name;
        bool cut;
    };
    const Case cases[] = {
        {std::u16string(20, u'n'), false},
        {std::u16string(21, u'n'), true},
        {std::u16string(10, u'中'), false},        // 20 bytes
        {u"a" + std::u16string(10, u'中'), true},  // 21 bytes: the last character straddles
        {u"中国国际广播电台环球资讯广播", true},   // 28 bytes
        {u"", false},                              // named after the host, which fits
    };
    TClientDataSet imported, typed;
    for (TClientDataSet* table : {&imported, &typed}) {
        defineStationFields(table->FieldDefs());
        table->CreateDataSet();
    }
    for (const Case& c : cases) {
        const EntryConversion converted =
            entryToStation(withAddress(u"http://radio.example/live", c.name));
        EXPECT_EQ(converted.nameCut, c.cut) << u8(c.name);
        imported.AppendRecord(stationRecord(converted.values));
        StationInputs inputs;
        inputs.name = c.name.empty() ? u"radio.example" : c.name;
        inputs.address = u"http://radio.example/live";
        typed.AppendRecord(appendedStationValues(inputs));
        EXPECT_EQ(u8(imported.FieldByName(StationFieldName::Name)->AsString()),
                  u8(typed.FieldByName(StationFieldName::Name)->AsString()))
            << u8(c.name);
    }
}

TEST(EntryToStation, CountryHomepageAndNameFallbacks) {
    StationEntry e = withAddress(u"http://user:pw@Radio.Example:8000/live", u"");
    e.country = u"The United Kingdom Of Great Britain And Northern Ireland";
    e.countryCode = u"GB";
    e.homepage = u"http://example.org/" + std::u16string(82, u'p');  // 101 bytes
    const EntryConversion converted = entryToStation(e);
    EXPECT_EQ(value(converted.values, StationFieldName::Name), "Radio.Example");
    EXPECT_EQ(value(converted.values, StationFieldName::Country), "GB");
    EXPECT_EQ(value(converted.values, StationFieldName::WebSite), "");
    EXPECT_TRUE(converted.homepageDropped);

    // A host with blanks around it gives a name trimmed as a typed one (found by fuzzing).
    EXPECT_EQ(value(entryToStation(withAddress(u"http:// e", u"")).values, StationFieldName::Name),
              "e");

    e.countryCode.clear();
    EXPECT_EQ(value(entryToStation(e).values, StationFieldName::Country),
              "The United Kingdom Of Great Britain And Northern Ireland")
        << "without a code the name stays, to be cut by the field";
    e.country = u"Deutschland";  // 11 bytes
    e.countryCode = u"DE";
    EXPECT_EQ(value(entryToStation(e).values, StationFieldName::Country), "DE");
    e.country.clear();
    EXPECT_EQ(value(entryToStation(e).values, StationFieldName::Country), "DE");
}

TEST(EntryToStation, AddressHosts) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"http://a.example/x", "a.example"},
        {u"http://a.example", "a.example"},
        {u"mms://user@b.example:1755?x", "b.example"},
        {u"http://[::1]:8000/live", "[::1]"},
        {u"no scheme", ""},
    };
    for (const auto& [address, host] : cases) EXPECT_EQ(u8(addressHost(address)), host);
}

TEST(EntryToStation, BitRateNumbers) {
    const std::pair<double, std::string> cases[] = {
        {128, "128k"},
        {64.0, "64k"},
        {320.5, "320.5k"},
        {0, ""},
        {-1, ""},
        {1e300, "1e+300k"},
        {std::numeric_limits<double>::infinity(), ""},
        {std::numeric_limits<double>::quiet_NaN(), ""},
    };
    for (const auto& [number, text] : cases) EXPECT_EQ(u8(bitRateFromNumber(number)), text);
}

TEST(DuplicateAddressIndex, AddressKeys) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"HTTP://Radio.Example/Live/", "http://radio.example/Live"},
        {u"  http://radio.example  ", "http://radio.example"},
        {u"http://radio.example//", "http://radio.example/"},
        {u"MMS://User@Host.Example:1755?Q=A#F", "mms://user@host.example:1755?Q=A#F"},
        {u"Listen: HTTP://A.Example/x", "listen: http://a.example/x"},
    };
    for (const auto& [address, key] : cases) EXPECT_EQ(u8(addressKey(address)), key);
}

// The index keeps its keys in one buffer behind its own hash table: it must still tell every
// address from every other one as it grows, and the empty key (of "/") counts once as well.
TEST(DuplicateAddressIndex, ManyAddressesAndTheEmptyKey) {
    DuplicateAddressIndex addresses;
    const auto address = [](int i) {
        return u"http://host" + asciiToUtf16(std::to_string(i % 97)) + u".example/" +
               asciiToUtf16(std::to_string(i));
    };
    for (int i = 0; i < 5000; ++i) ASSERT_TRUE(addresses.insert(address(i))) << i;
    EXPECT_EQ(addresses.size(), 5000u);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_FALSE(addresses.insert(address(i) + u"/")) << i;
        ASSERT_TRUE(addresses.contains(address(i))) << i;
    }
    EXPECT_FALSE(addresses.contains(address(5000)));
    EXPECT_FALSE(addresses.contains(u"/"));
    EXPECT_TRUE(addresses.insert(u" / "));
    EXPECT_FALSE(addresses.insert(u"/"));
    EXPECT_TRUE(addresses.contains(u""));
    EXPECT_EQ(addresses.size(), 5001u);
}

TEST(DuplicateAddressIndex, DuplicatesAgainstTheTableAndWithinTheImport) {
    TClientDataSet table(u"ClientDataSet1");
    defineStationFields(table.FieldDefs());
    table.CreateDataSet();
    for (const char16_t* address :
         {u"http://Radio.Example/live", u"mms://b.example/x/", u"http://c.example/"}) {
        StationInputs inputs;
        inputs.name = u"Station";
        inputs.address = address;
        table.AppendRecord(appendedStationValues(inputs));
    }
    table.MergeChangeLog();
    table.SetRecNo(2);

    DuplicateAddressIndex addresses;
    addresses.addTable(table);
    EXPECT_EQ(addresses.size(), 3u);
    EXPECT_EQ(table.RecNo(), 2) << "the current station stays";

    const std::vector<StationEntry> entries = {
        withAddress(u"HTTP://radio.example/live/"),  // the table's first, in other case
        withAddress(u"http://radio.example/LIVE"),   // the path keeps its case: new
        withAddress(u"mms://B.EXAMPLE/x"),           // the table's second
        withAddress(u"http://new.example/a"),
        withAddress(u"http://new.example/a/"),  // earlier in the import
        withAddress(u"ftp://new.example/a"),
    };
    const ImportedStations imported = importStations(entries, addresses);
    EXPECT_EQ(imported.report.entries, 6u);
    EXPECT_EQ(imported.report.imported, 2u);
    EXPECT_EQ(imported.report.duplicate, 3u);
    EXPECT_EQ(imported.report.invalidAddress, 1u);
    ASSERT_EQ(imported.stations.size(), 2u);
    EXPECT_EQ(value(imported.stations[0], StationFieldName::Address), "http://radio.example/LIVE");
    EXPECT_EQ(value(imported.stations[1], StationFieldName::Address), "http://new.example/a");

    // A second import against the same index finds the first one's stations.
    const ImportedStations again = importStations(entries, addresses);
    EXPECT_EQ(again.report.imported, 0u);
    EXPECT_EQ(again.report.duplicate, 5u);
}

TEST(ImportReport, CountsEveryReasonAndTheSummaryText) {
    const std::vector<StationEntry> entries = {
        withAddress(u""),
        withAddress(u"   "),
        withAddress(u"rtsp://a.example/"),
        withAddress(u"http://" + std::u16string(120, u'x')),
        withAddress(u"http://ok.example/1", u"A name that is far too long"),
        withAddress(u"http://ok.example/2", u"短名"),
        withAddress(u"http://OK.example/2"),
    };
    DuplicateAddressIndex addresses;
    ImportReport report = importStations(entries, addresses).report;
    EXPECT_EQ(report.noAddress, 2u);
    EXPECT_EQ(report.invalidAddress, 1u);
    EXPECT_EQ(report.addressTooLong, 1u);
    EXPECT_EQ(report.duplicate, 1u);
    EXPECT_EQ(report.skipped(), 5u);
    EXPECT_EQ(report.namesCut, 1u);
    EXPECT_EQ(report.cutNames, std::vector<std::u16string>{u"A name that is far too long"});
    EXPECT_EQ(u8(importSummaryText(report)),
              "已导入 2 个电台；跳过 5 个（无地址 2，地址无效 1，地址过长 1，重复 1）；"
              "名称被截断 1 个");

    report += report;
    EXPECT_EQ(u8(importSummaryText(report)),
              "已导入 4 个电台；跳过 10 个（无地址 4，地址无效 2，地址过长 2，重复 2）；"
              "名称被截断 2 个");
    EXPECT_EQ(u8(importSummaryText(ImportReport{})),
              "已导入 0 个电台；跳过 0 个（无地址 0，地址无效 0，地址过长 0，重复 0）；"
              "名称被截断 0 个");
}

TEST(EntryFromStation, TheTvMarkComesFromEitherTypeField) {
    StationValues station;
    stationValue(station, StationFieldName::VideoType) = u"电视台";
    EXPECT_TRUE(entryFromStation(station).television);
    stationValue(station, StationFieldName::VideoType) = u"";
    stationValue(station, StationFieldName::StationType) = u"电视台";
    EXPECT_TRUE(entryFromStation(station).television);
    stationValue(station, StationFieldName::StationType) = u"普通电台";
    EXPECT_FALSE(entryFromStation(station).television);
}

}  // namespace
