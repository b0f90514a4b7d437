// The default error display: the box's text, title, icon and button for an uncaught error.

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>

#include "app/DefaultErrorDisplay.h"
#include "dataset/Exceptions.h"
#include "tests/app/RecordingMessageBoxService.h"

namespace {

struct FullStopCase {
    const char* label;
    std::u16string message;
    std::u16string shown;
};

void PrintTo(const FullStopCase& c, std::ostream* os) {
    *os << c.label;
}

class FullStopRule : public ::testing::TestWithParam<FullStopCase> {};

TEST_P(FullStopRule, AppendsAFullStopAfterCharactersAboveIt) {
    RecordingMessageBoxService boxes;
    DefaultErrorDisplay display(boxes, programTitle());

    const bool completed = display.run([] { throw EDatabaseError(GetParam().message); });

    EXPECT_FALSE(completed);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const MessageBoxRequest& box = boxes.boxes().front();
    EXPECT_EQ(box.text, GetParam().shown);
    EXPECT_EQ(box.title, u"rovena");
    EXPECT_EQ(box.icon, MessageBoxIcon::Error);
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_FALSE(box.topmost);
    EXPECT_EQ(box.beep, MessageBeepKind::None);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FullStopRule,
    ::testing::Values(FullStopCase{"FullStop", u"Table is open.", u"Table is open."},
                      // 0x21 and 0x29 lie below '.', 0x2F just above it.
                      FullStopCase{"Exclamation", u"Key violation!", u"Key violation!"},
                      FullStopCase{"Parenthesis", u"(end)", u"(end)"},
                      FullStopCase{"Slash", u"Table is open/", u"Table is open/."},
                      FullStopCase{"Letter", u"Field not found a", u"Field not found a."},
                      // U+3002, the ideographic full stop, is above '.' too.
                      FullStopCase{"IdeographicFullStop", u"导入错误。", u"导入错误。."},
                      FullStopCase{"Empty", u"", u""}),
    [](const ::testing::TestParamInfo<FullStopCase>& info) { return info.param.label; });

TEST(DefaultErrorDisplay, ShowsStandardExceptionsAndPassesCleanRuns) {
    RecordingMessageBoxService boxes;
    DefaultErrorDisplay display(boxes, u"rovena");

    EXPECT_TRUE(display.run([] {}));
    EXPECT_TRUE(boxes.boxes().empty());

    // A std::exception's UTF-8 text is shown as UTF-16.
    EXPECT_FALSE(display.run([] { throw std::runtime_error("写入失败 at step 3"); }));
    // The dataset layer's engine errors come through their base class.
    EXPECT_FALSE(display.run([] { throw EDBClient(u"Record not found", 9729); }));

    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, u"写入失败 at step 3.");
    EXPECT_EQ(boxes.boxes()[1].text, u"Record not found.");
}

TEST(DefaultErrorDisplay, TitleIsTheExecutableNameWithoutExtension) {
    struct Case {
        std::u16string executable;
        std::u16string title;
    };
    for (const Case& c : {Case{u"rovena", u"rovena"}, Case{u"/usr/local/bin/rovena", u"rovena"},
                          Case{u"C:\\Program Files\\Rovena\\rovena.exe", u"rovena"},
                          Case{u"./build/release/app/rovena", u"rovena"},
                          Case{u"/opt/my.tools/station.editor.exe", u"station.editor"}}) {
        EXPECT_EQ(titleFromExecutable(c.executable), c.title);
    }
    // The test program runs under the name "rovena".
    EXPECT_EQ(programTitle(), u"rovena");
}

}  // namespace
