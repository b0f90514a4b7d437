// The preview list: loading the working file into the list, sorting by the column header with
// the list's own comparison, and a load that fails.

#include <gtest/gtest.h>

#include <QFile>
#include <QHeaderView>

#include "stations/PreviewOrder.h"
#include "tests/app/WindowTestSupport.h"

namespace {

class PreviewTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        showWindow();
        addStations({u"b", u"A", u"c"});
        form->BitBtn3->click();
        boxes.clear();
    }

    std::vector<QString> listed() const {
        std::vector<QString> captions;
        for (int i = 0; i < form->ListView1->count(); ++i)
            captions.push_back(
                QString::fromStdU16String(std::u16string(form->ListView1->caption(i))));
        return captions;
    }

    void clickHeader() {
        QHeaderView* header = form->ListView1->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionPosition(0) + 10, header->height() / 2));
    }

    void writeWorkingFile(const QByteArray& bytes) {
        QFile file(QString::fromStdU16String(workingFilePath()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
};

using Names = std::vector<QString>;

TEST_F(PreviewTest, EachClickFlipsTheListAndReloadsIt) {
    form->SpeedButton3->click();
    EXPECT_TRUE(form->SpeedButton3->isChecked());
    EXPECT_TRUE(form->ListView1->isVisible());
    EXPECT_EQ(listed(), (Names{"b", "A", "c"}));
    // The walk leaves the last station current.
    EXPECT_EQ(form->ClientDataSet1.RecNo(), 3);
    EXPECT_TRUE(form->ClientDataSet1.Eof());

    // A station added meanwhile shows up on the click that hides the list.
    form->BitBtn2->click();
    addStation({u"d", u"http://radio.example/d", u"", u"", u"", false});
    form->BitBtn3->click();
    form->SpeedButton3->click();
    EXPECT_FALSE(form->SpeedButton3->isChecked());
    EXPECT_TRUE(form->ListView1->isHidden());
    EXPECT_EQ(listed(), (Names{"b", "A", "c", "d"}));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(PreviewTest, HeaderClicksSortDescendingThenAscendingForTheWholeRun) {
    SortAscending = false;  // as at program start
    form->SpeedButton3->click();

    clickHeader();
    EXPECT_EQ(listed(), (Names{"c", "b", "A"}));
    EXPECT_TRUE(SortAscending);
    clickHeader();
    EXPECT_EQ(listed(), (Names{"A", "b", "c"}));
    clickHeader();
    EXPECT_EQ(listed(), (Names{"c", "b", "A"}));

    // A reload lists the table order again; the direction carries on from where it was.
    form->SpeedButton3->click();
    form->SpeedButton3->click();
    EXPECT_EQ(listed(), (Names{"b", "A", "c"}));
    clickHeader();
    EXPECT_EQ(listed(), (Names{"A", "b", "c"}));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(PreviewTest, CaptionsThatCompareEqualKeepTheirOrderThroughEverySort) {
    SortAscending = false;
    form->BitBtn2->click();
    addStation({u"ab", u"http://radio.example/x1", u"", u"", u"", false});
    addStation({u"AB", u"http://radio.example/x2", u"", u"", u"", false});
    form->BitBtn3->click();
    form->SpeedButton3->click();
    EXPECT_EQ(listed(), (Names{"b", "A", "c", "ab", "AB"}));

    clickHeader();
    EXPECT_EQ(listed(), (Names{"c", "b", "ab", "AB", "A"}));
    clickHeader();
    EXPECT_EQ(listed(), (Names{"A", "ab", "AB", "b", "c"}));
}

TEST_F(PreviewTest, AfterAPreviewTheLastStationIsCurrentOnTheEntryPage) {
    form->SpeedButton3->click();
    form->BitBtn2->click();
    form->SpeedButton1->click();
    EXPECT_EQ(form->LabeledEdit2->text(), QStringLiteral("c"));
    form->ToolButton3->click();
    expectOneBox(boxes, u"已经是最后一条内容！", MessageBoxIcon::Information, MessageBoxButtons::Ok,
                 true, MessageBeepKind::Error);
}

TEST_F(PreviewTest, AFailedLoadIsReportedAndTheTableGoesOnWithItsRows) {
    struct Case {
        const char* label;
        bool remove;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"Missing", true, {}},
        {"NotADatapacket", false, QByteArray("this is not a station file")},
        {"CutShort", false, {}},  // filled below: the first 40 bytes of a real one
    };
    form->SpeedButton3->click();  // list shown with b, A, c
    QFile good(QString::fromStdU16String(workingFilePath()));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = good.readAll();
    good.close();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        boxes.clear();
        if (c.remove)
            ASSERT_TRUE(QFile::remove(QString::fromStdU16String(workingFilePath())));
        else
            writeWorkingFile(c.bytes.isEmpty() ? goodBytes.left(40) : c.bytes);

        form->SpeedButton3->click();

        expectOneBox(boxes, u"导入错误，请查看路径或者文件是否有效。", MessageBoxIcon::Information,
                     MessageBoxButtons::Ok, false);
        EXPECT_EQ(listed(), (Names{"b", "A", "c"}));  // the previous items stay
        ASSERT_TRUE(form->ClientDataSet1.Active());
        EXPECT_EQ(form->ClientDataSet1.RecordCount(), 3);
        EXPECT_EQ(form->ClientDataSet1.RecNo(), 1);
    }

    // The entry page goes on working, and its next save writes a good working file again.
    form->BitBtn2->click();
    boxes.clear();
    addStation({u"d", u"http://radio.example/d", u"", u"", u"", false});
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"b", u"A", u"c", u"d"}));
}

TEST_F(PreviewTest, SortingOrReloadingDropsTheSelectedRow) {
    form->SpeedButton3->click();
    QAbstractItemView* view = form->ListView1;
    const auto clickRow = [view](int row) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
    };
    const auto selectedRows = [view] {
        std::vector<int> rows;
        for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
            rows.push_back(index.row());
        return rows;
    };
    EXPECT_FALSE(view->currentIndex().isValid());

    clickRow(1);
    EXPECT_EQ(view->currentIndex().row(), 1);
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    clickHeader();
    EXPECT_FALSE(view->currentIndex().isValid());
    EXPECT_TRUE(selectedRows().empty());

    clickRow(2);
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    form->SpeedButton3->click();  // hidden and reloaded
    EXPECT_FALSE(view->currentIndex().isValid());
    EXPECT_TRUE(selectedRows().empty());

    // With nothing current, the first key press selects the first row.
    form->SpeedButton3->click();
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(view->currentIndex().row(), 0);
    EXPECT_EQ(selectedRows(), std::vector<int>{0});
}

TEST(PreviewOrder, ComparesFoldedUtf16UnitsThenLengths) {
    struct Case {
        std::u16string first;
        std::u16string second;
        int sign;
    };
    const Case cases[] = {
        {u"ab", u"AB", 0},
        {u"", u"", 0},
        {u"a", u"ab", -1},  // a prefix goes first
        {u"", u"a", -1},    // the empty text before every other
        {u"b", u"A", 1},
        {u"_", u"a", 1},     // 'a' folds to 'A' (0x41), below '_' (0x5F)
        {u"[", u"z", 1},     // likewise 'Z' (0x5A) below '[' (0x5B)
        {u"é", u"É", 1},     // only 'a' to 'z' fold
        {u"中", u"国", -1},  // U+4E2D before U+56FD
        {u"z", u"中", -1},
        {u"\U0001F600", u"\uFFFF", -1},  // a surrogate unit (0xD83D) below 0xFFFF
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.first) + " vs " + utf8(c.second));
        const int result = compareCaptions(c.first, c.second);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
        const int reverse = compareCaptions(c.second, c.first);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.sign);
    }
    EXPECT_EQ(compareCaptions(u"B", u"a"), 'B' - 'A');
    EXPECT_EQ(compareCaptions(u"abc", u"a"), 2);
}

TEST(PreviewOrder, CompareListItemsFollowsTheSortDirection) {
    const bool saved = SortAscending;
    const std::u16string_view lower = u"ab", upper = u"AB", longer = u"abc";
    SortAscending = true;
    EXPECT_EQ(TForm1::CompareListItems(lower, upper, 0), 0);
    EXPECT_LT(TForm1::CompareListItems(lower, longer, 0), 0);
    SortAscending = false;
    EXPECT_EQ(TForm1::CompareListItems(upper, lower, 0), 0);
    EXPECT_GT(TForm1::CompareListItems(lower, longer, 0), 0);
    SortAscending = saved;
}

TEST(PreviewOrder, TheListSortsLikeTheCaptionComparisonInBothDirections) {
    // Captions that agree in their first four units, differ in case only, are prefixes of one
    // another (also by a 0 unit, which a key cannot tell from a missing one), or hold units near
    // the ends of the range.
    const std::vector<std::u16string> captions = {std::u16string(u"ab\0", 3),
                                                  u"abcdz",
                                                  u"ABCDe",
                                                  u"abcd",
                                                  u"",
                                                  u"abcde",
                                                  u"a",
                                                  u"A",
                                                  u"_",
                                                  u"[",
                                                  u"z",
                                                  u"中国之声",
                                                  u"中国之声2",
                                                  u"中国",
                                                  u"\U0001F600",
                                                  u"\uFFFF",
                                                  u"é",
                                                  u"É",
                                                  std::u16string(u"ab\0c", 4),
                                                  u"ab",
                                                  u"ABCDZ",
                                                  u"b"};
    PreviewListModel model;
    PreviewCaptions all;
    for (const std::u16string& caption : captions) all.append(caption);
    model.setCaptions(std::move(all));

    std::vector<std::u16string> expected = captions;
    for (const bool ascending : {true, false, true}) {
        SCOPED_TRACE(ascending ? "ascending" : "descending");
        const auto compare = [ascending](std::u16string_view a, std::u16string_view b) {
            const int result = compareCaptions(a, b);
            return ascending ? result : -result;
        };
        std::stable_sort(
            expected.begin(), expected.end(),
            [&](const std::u16string& a, const std::u16string& b) { return compare(a, b) < 0; });
        model.sortByCaption(ascending, compare);
        std::vector<std::u16string> shown;
        for (int row = 0; row < model.rowCount(); ++row) shown.emplace_back(model.caption(row));
        EXPECT_EQ(shown, expected);
    }
}

}  // namespace
