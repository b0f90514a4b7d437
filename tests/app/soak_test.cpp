// A long run of random user actions on the real window: typing stations (Chinese, invalid,
// empty), saving by button and by Alt+M, browsing and modifying in edit mode, deleting, going
// back and forth between the pages, the preview, generating, importing a playlist and opening a
// generated file. After every action the working file, the table, the inputs and the boxes
// shown must agree with each other and with what the user did.
//
// The boxes each action may show, and when (any other box fails the run):
//   save, Alt+M      电台名称和地址不能为空… (a name or an address empty), 电台必须要以http://…
//                    (no stream marker in the address), else none
//   previous, next   已经是第一条内容！ / 已经是最后一条内容！ at the ends; first and last end on
//   it delete           是否删除当前内容？; confirmed with every station deleted, the dataset's
//                    "Cannot perform this operation on an empty dataset."
//   next page        请先保存当前记录！ with no station
//   generate         成功生成了….cds文件!; 生成文件失败：… when the last generate already moved the
//                    working file away and nothing changed since
//   import           the summary 已导入 …
//   open generated   电台列表中已有 … (replace, append or cancel) when the list is not empty
//   type, clear, edit mode, previous page, preview: none
//
// ROVENA_SOAK_SEED picks the run (printed at the start and with any failure, so a failing run
// can be repeated); ROVENA_SOAK_ACTIONS sets its length.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Unicode.h"
#include "stations/StationInput.h"
#include "stations/StationSchema.h"
#include "tests/app/WindowTestSupport.h"

namespace {

constexpr std::uint64_t kDefaultSeed = 20240611;
constexpr long kDefaultActions = 2000;
// Appending a generated file doubles the table; past this size the run stops doing it.
constexpr std::size_t kLargestTableToAppendTo = 150;

const char16_t kEmptyInputs[] = u"电台名称和地址不能为空，请重新输入。";
const char16_t kNoStreamMarker[] =
    u"电台必须要以http://,mms://或者rtmp://等字符开头,请重新检查输入。";
const char16_t kFirstOne[] = u"已经是第一条内容！";
const char16_t kLastOne[] = u"已经是最后一条内容！";
const char16_t kDeleteQuestion[] = u"是否删除当前内容？";
const char16_t kDeleteFromEmptyList[] =
    u"ClientDataSet1: Cannot perform this operation on an empty dataset.";
const char16_t kSaveFirst[] = u"请先保存当前记录！";
const char16_t kImportSummary[] = u"已导入 ";
const char16_t kOpenQuestion[] = u"电台列表中已有 ";

std::uint64_t environmentNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    return std::strtoull(text, nullptr, 10);
}

// What the user expects a station to be: its name and address as the table shows them.
struct Station {
    std::u16string name;
    std::u16string address;
    bool operator==(const Station&) const = default;
};

// Answers every box as the test's recording service does, but a question with a choice is
// answered by the run's random generator.
class ChoosingBoxes : public RecordingMessageBoxService {
  public:
    explicit ChoosingBoxes(std::mt19937_64& random) : FRandom(random) {}

    MessageBoxAnswer show(const MessageBoxRequest& request) override {
        const MessageBoxAnswer fallback = RecordingMessageBoxService::show(request);
        std::vector<MessageBoxAnswer> choices;
        switch (request.buttons) {
            case MessageBoxButtons::OkCancel:
                choices = {MessageBoxAnswer::Ok, MessageBoxAnswer::Cancel};
                break;
            case MessageBoxButtons::YesNo:
                choices = {MessageBoxAnswer::Yes, MessageBoxAnswer::No};
                break;
            case MessageBoxButtons::YesNoCancel:
                choices = {MessageBoxAnswer::Yes, MessageBoxAnswer::No, MessageBoxAnswer::Cancel};
                break;
            default:
                break;
        }
        MessageBoxAnswer answer = fallback;
        if (FAlways && !choices.empty())
            answer = *FAlways;
        else if (!choices.empty())
            answer =
                choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(FRandom)];
        FAnswers.push_back(answer);
        return answer;
    }
    // Every question is answered with `answer` until called again with nothing.
    void alwaysAnswer(std::optional<MessageBoxAnswer> answer) { FAlways = answer; }
    // The answer given to each box, in order.
    const std::vector<MessageBoxAnswer>& answers() const { return FAnswers; }

  private:
    std::mt19937_64& FRandom;
    std::vector<MessageBoxAnswer> FAnswers;
    std::optional<MessageBoxAnswer> FAlways;
};

class SoakTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FSeed = environmentNumber("ROVENA_SOAK_SEED", kDefaultSeed);
        FActions = static_cast<long>(environmentNumber("ROVENA_SOAK_ACTIONS", kDefaultActions));
        FRandom.seed(FSeed);
        std::printf("soak: seed %llu, %ld actions (ROVENA_SOAK_SEED, ROVENA_SOAK_ACTIONS)\n",
                    static_cast<unsigned long long>(FSeed), FActions);
        FOutput = dataHome.path(QStringLiteral("out"));
        ASSERT_TRUE(QDir().mkpath(FOutput));
        form = std::make_unique<TForm1>(WindowServices{boxes, folders, shell, fileDialogs});
        form->show();
        QApplication::setActiveWindow(form.get());
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        // The output folder is chosen once, when the first generate asks for it.
        folders.queueChoice(FOutput.toStdU16String());
    }
    void TearDown() override { form.reset(); }

    std::size_t pick(std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(FRandom);
    }
    bool chance(double probability) { return std::bernoulli_distribution(probability)(FRandom); }
    template <typename T>
    const T& oneOf(const std::vector<T>& items) {
        return items[pick(items.size())];
    }

    // ---- What the window holds -----------------------------------------------------------

    bool editMode() const { return form->SpeedButton1->isChecked(); }
    bool onEntryPage() const { return form->Notebook1->currentIndex() == 0; }

    // Every field of every row of the window's table, read as the file reader reads them; the
    // current record is the same afterwards.
    std::vector<std::vector<std::u16string>> tableRows() {
        TClientDataSet& table = form->ClientDataSet1;
        std::vector<std::vector<std::u16string>> rows;
        if (!table.Active() || table.IsEmpty()) return rows;
        const std::int32_t current = table.RecNo();
        table.First();
        while (!table.Eof()) {
            std::vector<std::u16string>& row = rows.emplace_back();
            for (int i = 0; i < table.Fields().Count(); ++i)
                row.push_back(table.Fields()[i]->AsString());
            table.Next();
        }
        table.SetRecNo(current);
        return rows;
    }

    std::vector<Station> tableStations() {
        std::vector<Station> stations;
        const int name = stationFieldIndex(StationFieldName::Name);
        const int address = stationFieldIndex(StationFieldName::Address);
        for (const auto& row : tableRows()) stations.push_back({row.at(name), row.at(address)});
        return stations;
    }

    Station currentStation() {
        return {form->ClientDataSet1.FieldByName(StationFieldName::Name)->AsString(),
                form->ClientDataSet1.FieldByName(StationFieldName::Address)->AsString()};
    }

    // ---- Actions -------------------------------------------------------------------------

    std::u16string randomName() {
        static const std::vector<std::u16string> chinese = {
            u"中央人民广播电台", u"音乐之声", u"经济之声", u"北京交通广播", u"华语广播网",
            u"中国之声",         u"文艺之声", u"城市之声", u"故事广播",     u"老年之声"};
        static const std::vector<std::u16string> latin = {u"Radio",   u"Jazz FM", u"News 24",
                                                          u"Classic", u"Talk",    u"Dance"};
        const std::u16string number = utf8ToUtf16(std::to_string(++FNameCounter));
        switch (pick(4)) {
            case 0:
                return oneOf(chinese);
            case 1:
                return oneOf(latin) + u" " + number;
            case 2:
                return u"台" + number;
            default:
                return oneOf(latin);
        }
    }

    std::u16string randomAddress() {
        const std::u16string number = utf8ToUtf16(std::to_string(++FAddressCounter));
        switch (pick(8)) {
            case 0:
                return u"mms://s" + number + u".example/live";
            case 1:
                return u"rtmp://s" + number + u".example/app/stream";
            case 2:
                return u"https://s" + number + u".example/流";
            case 3:
                return u"s" + number + u".example/no-scheme";  // refused: no stream marker
            case 4:
                return u"ftp://s" + number + u".example/x";  // refused: no stream marker
            default:
                return u"http://s" + number + u".example/live";
        }
    }

    void typeStation() {
        TypedStation entry;
        entry.name = chance(0.05) ? std::u16string() : randomName();
        entry.address = chance(0.05) ? std::u16string() : randomAddress();
        entry.country = chance(0.5) ? u"中国" : u"";
        entry.language = chance(0.5) ? u"汉语" : u"English";
        entry.bitRate = chance(0.5) ? u"128k" : u"";
        entry.tv = chance(0.3);
        form->LabeledEdit2->setText(QString::fromStdU16String(entry.name));
        form->LabeledEdit3->setText(QString::fromStdU16String(entry.address));
        form->LabeledEdit4->setText(QString::fromStdU16String(entry.country));
        form->LabeledEdit5->setText(QString::fromStdU16String(entry.language));
        form->LabeledEdit6->setText(QString::fromStdU16String(entry.bitRate));
        form->RadioGroup1->SetItemIndex(entry.tv ? 1 : 0);
        FInputsShowRecord = false;
    }

    // The box a save of the inputs shows, if any.
    std::u16string saveRefusal() const {
        const std::u16string name = form->LabeledEdit2->text().toStdU16String();
        const std::u16string address = form->LabeledEdit3->text().toStdU16String();
        if (name.empty() || address.empty()) return kEmptyInputs;
        if (!hasStreamMarker(address)) return kNoStreamMarker;
        return {};
    }

    void save(bool byShortcut) {
        const std::u16string refusal = saveRefusal();
        const Station typed{trimmedText(form->LabeledEdit2->text().toStdU16String()),
                            trimmedText(form->LabeledEdit3->text().toStdU16String())};
        const Station asTyped{form->LabeledEdit2->text().toStdU16String(),
                              form->LabeledEdit3->text().toStdU16String()};
        const bool modify = editMode();
        const bool wasEmpty = FModel.empty();
        const std::int32_t current = form->ClientDataSet1.RecNo();
        if (!refusal.empty()) {
            expectBoxes({refusal});
        } else {
            expectBoxes({});
            if (modify && !wasEmpty) {
                FModel.at(static_cast<std::size_t>(current - 1)) = asTyped;
            } else if (modify) {
                // With every station deleted, the modify of edit mode adds the station, as typed.
                FModel.push_back(asTyped);
            } else {
                FModel.push_back(typed);
            }
            if (modify) FInputsShowRecord = true;
            FWorkingFileExpected = true;
        }
        if (byShortcut) {
            QWidget* target = QApplication::focusWidget();
            QTest::keyClick(target != nullptr ? target : form.get(), Qt::Key_M, Qt::AltModifier);
        } else {
            form->BitBtn1->click();
        }
        if (modify && refusal.empty() && !wasEmpty) {
            EXPECT_EQ(form->ClientDataSet1.RecNo(), current) << "the modified station is current";
        }
    }

    void toggleEditMode() {
        expectBoxes({});
        form->SpeedButton1->click();
        if (editMode()) FInputsShowRecord = true;
    }

    // One step back (or forward), or all the way to the first (or last) station: pressed until
    // the box says there is no further one.
    void browse(bool forward, bool allTheWay) {
        const std::int32_t count = form->ClientDataSet1.RecordCount();
        const std::int32_t at = form->ClientDataSet1.RecNo();
        QToolButton* button = forward ? form->ToolButton3 : form->ToolButton1;
        const std::u16string boundary = forward ? kLastOne : kFirstOne;
        if (allTheWay) {
            const std::int32_t steps = forward ? count - at : at - 1;
            expectBoxes({boundary});
            for (std::int32_t i = 0; i < steps; ++i) button->click();
            button->click();
            if (steps > 0) FInputsShowRecord = true;
            return;
        }
        const bool atEnd = forward ? at >= count : at < 2;
        expectBoxes(atEnd ? std::vector<std::u16string>{boundary} : std::vector<std::u16string>{});
        button->click();
        if (!atEnd) FInputsShowRecord = true;
    }

    void clearInputs() {
        expectBoxes({});
        form->ToolButton5->click();
        FInputsShowRecord = false;
    }

    void deleteStation() {
        const bool empty = FModel.empty();
        const std::int32_t current = form->ClientDataSet1.RecNo();
        const std::size_t before = boxes.answers().size();
        form->ToolButton6->click();
        const bool confirmed =
            boxes.answers().size() > before && boxes.answers()[before] == MessageBoxAnswer::Ok;
        // With every station deleted, the dataset refuses the delete the user confirmed.
        if (confirmed && empty)
            expectBoxes({kDeleteQuestion, kDeleteFromEmptyList});
        else
            expectBoxes({kDeleteQuestion});
        if (confirmed && !empty) {
            FModel.erase(FModel.begin() + (current - 1));
            FWorkingFileExpected = true;
            FInputsShowRecord = !FModel.empty();
        }
    }

    // Deletes one station after the other, answering 确定 each time, until none is left.
    void deleteAll() {
        std::vector<std::u16string> questions(FModel.size(), kDeleteQuestion);
        expectBoxes(questions);
        boxes.alwaysAnswer(MessageBoxAnswer::Ok);
        for (std::size_t i = questions.size(); i > 0; --i) deleteStation();
        boxes.alwaysAnswer(std::nullopt);
        expectBoxes(questions);
    }

    void nextPage() {
        expectBoxes(FModel.empty() ? std::vector<std::u16string>{kSaveFirst}
                                   : std::vector<std::u16string>{});
        form->BitBtn3->click();
    }

    void previousPage() {
        expectBoxes({});
        form->BitBtn2->click();
    }

    void preview() {
        expectBoxes({});
        form->SpeedButton3->click();
    }

    void generate() {
        const QString name = QStringLiteral("soak%1").arg(++FGenerated);
        form->LabeledEdit1->setText(name);
        // A generate moves the working file away; until the next change there is nothing to
        // move, and a second generate says so.
        expectBoxes({FWorkingFileExpected
                         ? u"成功生成了" + name.toStdU16String() + u".cds文件!"
                         : u"生成文件失败：" +
                               (FOutput + QLatin1Char('/') + name).toStdU16String() +
                               u".cds\n找不到文件或文件夹"});
        form->Button1->click();
        const QString path = FOutput + QLatin1Char('/') + name + QStringLiteral(".cds");
        if (QFile::exists(path)) {
            FGeneratedFiles.push_back({path, FModel});
            FWorkingFileExpected = false;
            FLastGenerated = path;
        }
    }

    void importPlaylist() {
        // Mostly new stations, some repeated from earlier imports (skipped as duplicates).
        std::string text = "#EXTM3U\n";
        std::vector<Station> entries;
        const std::size_t count = 1 + pick(5);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t id =
                chance(0.3) && FPlaylistCounter > 0 ? pick(FPlaylistCounter) : FPlaylistCounter++;
            const std::u16string name =
                (id % 2 == 0 ? u"导入电台" : u"Imported ") + utf8ToUtf16(std::to_string(id));
            const std::u16string address =
                u"http://p" + utf8ToUtf16(std::to_string(id)) + u".example/stream";
            entries.push_back({name, address});
            text += "#EXTINF:-1," + utf16ToUtf8(name) + "\n" + utf16ToUtf8(address) + "\n";
        }
        const QString path = dataHome.path(QStringLiteral("import%1.m3u").arg(++FImports));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(text));
        file.close();

        std::set<std::u16string> known;
        for (const Station& station : FModel) known.insert(station.address);
        bool added = false;
        for (const Station& entry : entries) {
            if (!known.insert(entry.address).second) continue;
            FModel.push_back(entry);
            added = true;
        }
        expectBoxes({kImportSummary});
        if (added) {
            FWorkingFileExpected = true;
            if (editMode()) FInputsShowRecord = true;
        }
        form->openFiles({path});
    }

    void openGenerated() {
        const auto& [path, stations] = FGeneratedFiles[pick(FGeneratedFiles.size())];
        const bool asked = !FModel.empty();
        expectBoxes(asked ? std::vector<std::u16string>{kOpenQuestion}
                          : std::vector<std::u16string>{});
        const std::size_t before = boxes.answers().size();
        const std::vector<Station> opened = stations;
        form->openFiles({path});
        const MessageBoxAnswer answer = asked && boxes.answers().size() > before
                                            ? boxes.answers().back()
                                            : MessageBoxAnswer::Yes;
        if (answer == MessageBoxAnswer::Cancel) return;
        if (answer == MessageBoxAnswer::Yes) FModel.clear();
        FModel.insert(FModel.end(), opened.begin(), opened.end());
        FWorkingFileExpected = true;
        if (editMode() && !FModel.empty()) FInputsShowRecord = true;
    }

    // ---- Checks --------------------------------------------------------------------------

    // The boxes the next action may show, in order: each one's text starts with the given
    // text. Any other box is a failure.
    void expectBoxes(std::vector<std::u16string> texts) { FExpectedBoxes = std::move(texts); }

    void checkBoxes(std::size_t firstBox) {
        std::vector<std::u16string> shown;
        for (std::size_t i = firstBox; i < boxes.boxes().size(); ++i)
            shown.push_back(boxes.boxes()[i].text);
        bool same = shown.size() == FExpectedBoxes.size();
        for (std::size_t i = 0; same && i < shown.size(); ++i)
            same = shown[i].starts_with(FExpectedBoxes[i]);
        if (same) return;
        std::string message = "boxes shown:";
        for (const auto& text : shown) message += " [" + utf8(text) + "]";
        message += "; expected:";
        for (const auto& text : FExpectedBoxes) message += " [" + utf8(text) + "...]";
        ADD_FAILURE() << message;
    }

    void checkState() {
        const std::vector<std::vector<std::u16string>> rows = tableRows();
        const std::vector<Station> stations = tableStations();
        if (stations != FModel) {
            std::string message = "the table holds " + std::to_string(stations.size()) +
                                  " stations, the user expects " + std::to_string(FModel.size());
            for (std::size_t i = 0; i < std::max(stations.size(), FModel.size()); ++i) {
                const std::string inTable =
                    i < stations.size() ? utf8(stations[i].name + u" " + stations[i].address) : "-";
                const std::string expected =
                    i < FModel.size() ? utf8(FModel[i].name + u" " + FModel[i].address) : "-";
                if (inTable != expected) {
                    message += "; first difference at row " + std::to_string(i + 1) + ": " +
                               inTable + " / " + expected;
                    break;
                }
            }
            ADD_FAILURE() << message;
        }

        // The working file is the table, station for station; right after a generate it has
        // become the generated file.
        const std::u16string file =
            FWorkingFileExpected ? workingFilePath() : FLastGenerated.toStdU16String();
        if (!FWorkingFileExpected) {
            EXPECT_FALSE(QFile::exists(QString::fromStdU16String(workingFilePath())))
                << "the working file stayed after a generate";
        }
        const StoredTable stored = readStationFile(file);
        EXPECT_TRUE(stored.loaded) << utf8(file) << ": " << utf8(stored.error);
        if (stored.loaded && stored.rows != rows) {
            ADD_FAILURE() << utf8(file) << " holds " << stored.rows.size()
                          << " rows, the window's table " << rows.size();
        }

        // In edit mode the inputs show the current station, unless the user typed over them.
        if (editMode() && FInputsShowRecord && !FModel.empty()) {
            const std::int32_t at = form->ClientDataSet1.RecNo();
            EXPECT_TRUE(at >= 1 && at <= static_cast<std::int32_t>(FModel.size())) << at;
            const Station current = currentStation();
            EXPECT_EQ(utf8(form->LabeledEdit2->text().toStdU16String()), utf8(current.name))
                << "the name input shows another station than the current one (" << at << ")";
            EXPECT_EQ(utf8(form->LabeledEdit3->text().toStdU16String()), utf8(current.address))
                << "the address input shows another station than the current one (" << at << ")";
        }
    }

    // ---- The run -------------------------------------------------------------------------

    struct Action {
        const char* name;
        int weight;  // how often it is chosen among the possible ones
        std::function<bool()> possible;
        std::function<void()> run;
    };

    std::vector<Action> actions() {
        const auto always = [] { return true; };
        const auto entry = [this] { return onEntryPage(); };
        const auto browsing = [this] {
            return onEntryPage() && editMode() && form->ToolBar1->isEnabled();
        };
        return {
            {"type", 24, entry, [this] { typeStation(); }},
            {"save", 12, entry, [this] { save(false); }},
            {"alt+m", 8, always, [this] { save(true); }},
            {"edit mode", 5, [this] { return onEntryPage() && form->SpeedButton1->isEnabled(); },
             [this] { toggleEditMode(); }},
            {"previous", 6, browsing, [this] { browse(false, false); }},
            {"next", 6, browsing, [this] { browse(true, false); }},
            {"first", 2, browsing, [this] { browse(false, true); }},
            {"last", 2, browsing, [this] { browse(true, true); }},
            {"clear", 2, browsing, [this] { clearInputs(); }},
            // More likely the longer the list, so that the list also shrinks, down to none.
            {"delete", 0, browsing, [this] { deleteStation(); }},
            {"delete all", 1, browsing, [this] { deleteAll(); }},
            {"next page", 5, entry, [this] { nextPage(); }},
            {"previous page", 5, [this] { return !onEntryPage(); }, [this] { previousPage(); }},
            {"preview", 3, [this] { return !onEntryPage() && form->SpeedButton3->isEnabled(); },
             [this] { preview(); }},
            {"generate", 3, [this] { return !onEntryPage(); }, [this] { generate(); }},
            {"import", 3, always, [this] { importPlaylist(); }},
            {"open generated", 2,
             [this] {
                 return !FGeneratedFiles.empty() && FModel.size() <= kLargestTableToAppendTo;
             },
             [this] { openGenerated(); }},
        };
    }

    void printFailure(long step, const std::deque<std::string>& history) {
        std::printf("soak: failed at step %ld with seed %llu; the last actions:\n", step,
                    static_cast<unsigned long long>(FSeed));
        for (const std::string& line : history) std::printf("  %s\n", line.c_str());
    }

    TemporaryDataHome dataHome;
    std::mt19937_64 FRandom;
    ChoosingBoxes boxes{FRandom};
    RecordingFolderBrowser folders;
    RecordingShell shell;
    RecordingFileDialogs fileDialogs;
    std::unique_ptr<TForm1> form;

    std::uint64_t FSeed = kDefaultSeed;
    long FActions = kDefaultActions;
    QString FOutput;
    // What the user expects the table to hold, in order.
    std::vector<Station> FModel;
    // The inputs were loaded from the current station and not typed over since.
    bool FInputsShowRecord = false;
    // False from a generate (which moves the working file away) to the next save.
    bool FWorkingFileExpected = true;
    QString FLastGenerated;
    std::vector<std::pair<QString, std::vector<Station>>> FGeneratedFiles;
    std::vector<std::u16string> FExpectedBoxes;
    int FGenerated = 0;
    int FImports = 0;
    std::size_t FPlaylistCounter = 0;
    long FNameCounter = 0;
    long FAddressCounter = 0;
    std::size_t FSmallestList = SIZE_MAX;
    std::size_t FLargestList = 0;
    long FStepsOnEmptyListInEditMode = 0;
};

TEST_F(SoakTest, RandomUserActionsKeepTableFileAndInputsInStep) {
    const std::vector<Action> all = actions();
    std::map<std::string, long> done;
    std::deque<std::string> history;
    for (long step = 1; step <= FActions; ++step) {
        std::vector<const Action*> possible;
        int total = 0;
        std::vector<int> weights;
        for (const Action& action : all) {
            if (!action.possible()) continue;
            possible.push_back(&action);
            weights.push_back(action.weight > 0 ? action.weight
                                                : 4 + static_cast<int>(FModel.size() / 3));
            total += weights.back();
        }
        int roll = std::uniform_int_distribution<int>(0, total - 1)(FRandom);
        const Action* chosen = possible.front();
        for (std::size_t i = 0; i < possible.size(); ++i) {
            if (roll < weights[i]) {
                chosen = possible[i];
                break;
            }
            roll -= weights[i];
        }
        if (editMode() && FModel.empty()) ++FStepsOnEmptyListInEditMode;
        FSmallestList = std::min(FSmallestList, FModel.size());
        FLargestList = std::max(FLargestList, FModel.size());

        const std::size_t firstBox = boxes.boxes().size();
        FExpectedBoxes.clear();
        chosen->run();
        QCoreApplication::processEvents();
        ++done[chosen->name];

        std::ostringstream line;
        line << step << " " << chosen->name << " (page " << form->Notebook1->currentIndex() + 1
             << (editMode() ? ", edit mode" : "") << ", " << FModel.size() << " stations, at "
             << form->ClientDataSet1.RecNo() << ")";
        for (std::size_t i = firstBox; i < boxes.boxes().size(); ++i)
            line << " box [" << utf8(boxes.boxes()[i].text) << "]";
        history.push_back(line.str());
        if (history.size() > 25) history.pop_front();

        checkBoxes(firstBox);
        checkState();
        if (HasFailure()) {
            printFailure(step, history);
            return;
        }
    }

    std::printf(
        "soak: %ld actions done, %zu boxes answered, %zu stations at the end (from %zu to "
        "%zu on the way)\n",
        FActions, boxes.boxes().size(), FModel.size(), FSmallestList, FLargestList);
    std::printf("  %ld of them in edit mode with every station deleted\n",
                FStepsOnEmptyListInEditMode);
    for (const auto& [name, count] : done) std::printf("  %-15s %ld\n", name.c_str(), count);
}

}  // namespace
