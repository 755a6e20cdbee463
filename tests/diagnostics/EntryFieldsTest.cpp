// Every window's entry fields against the simulated board: what a field accepts is what the
// board gets, nothing is written that the user did not change, an edit always ends, and only
// confirmed reads are shown.
#include "diagnostics/frmR760DF1.h"
#include "diagnostics/frmTargetBoard.h"
#include "tests/diagnostics/DiagnosticsRig.h"
#include "views/EntryMessages.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/UpDownControl.h"
#include "views/frmData.h"
#include "views/frmSetup.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace quelby::test {
namespace {

enum class Window { Setup, ShiftData, Df1, TargetBoard };

// One field: its window, index, board address, limits, message title, page or tab, and the
// data point it keeps (-1: the board only).
struct FieldCase {
    Window window;
    int index;
    const char* address;
    int low;
    int high;
    const char* title;
    int page;
    int dataPoint;
};

constexpr FieldCase kFields[] = {
    {Window::Setup, 0, "B1012", 5, 80, "Set-up", 0, 85},
    {Window::Setup, 1, "B1013", 5, 80, "Set-up", 0, 86},
    {Window::Setup, 2, "B1014", 5, 80, "Set-up", 0, 87},
    {Window::Setup, 3, "B1015", 5, 80, "Set-up", 0, 88},
    {Window::Setup, 4, "B1017", 0, 6, "Set-up", 0, 89},
    {Window::Setup, 5, "W1004", 0, 999, "Set-up", 1, 90},
    {Window::Setup, 6, "B1019", 4, 14, "Set-up", 1, 91},
    {Window::Setup, 7, "B1003", 1, 15, "Set-up", 1, 92},
    {Window::Setup, 8, "B1000", 0, 99, "Set-up", 1, 93},
    {Window::Setup, 9, "B1001", 0, 99, "Set-up", 1, 94},
    {Window::Setup, 10, "B1002", 0, 99, "Set-up", 1, 95},
    {Window::Setup, 11, "B1010", 1, 24, "Set-up", 1, 96},
    {Window::Setup, 12, "B1018", 4, 12, "Set-up", 1, 97},
    {Window::Setup, 13, "B1006", 5, 50, "Set-up", 2, 98},
    {Window::Setup, 14, "B1007", 5, 50, "Set-up", 2, 99},
    {Window::Setup, 15, "B1008", 5, 50, "Set-up", 2, 100},
    {Window::Setup, 16, "B1009", 5, 50, "Set-up", 2, 101},
    {Window::ShiftData, 0, "B1011", 0, 23, "Spindle #1 Trip Offset:", 0, 0},
    {Window::Df1, 0, "B4050", 0, 255, "R760DF1 Set-up", 0, 103},
    {Window::Df1, 1, "B4011", 0, 255, "R760DF1 Set-up", 0, 104},
    {Window::TargetBoard, 0, "B8180", 1, 32, "Set-upCurrent Network Address 1:", 2, -1},
    {Window::TargetBoard, 1, "B8191", 1, 32, "Set-upCurrent Network Address 2:", 2, -1},
    {Window::TargetBoard, 2, "B43012", 0, 23, "Set-upHr.", 3, -1},
    {Window::TargetBoard, 3, "B43010", 0, 59, "Set-upMin.", 3, -1},
    {Window::TargetBoard, 4, "B43008", 0, 59, "Set-upSec.", 3, -1},
    {Window::TargetBoard, 5, "B43016", 1, 12, "Set-upMo.", 3, -1},
    {Window::TargetBoard, 6, "B43015", 1, 31, "Set-upDay", 3, -1},
    {Window::TargetBoard, 7, "B43017", 0, 99, "Set-upYr.", 3, -1},
};

// The first field of each window.
constexpr const FieldCase* kOnePerWindow[] = {&kFields[0], &kFields[17], &kFields[18], &kFields[20]};

// A field's window opened online, the field's page in front, the field showing `start`.
struct FieldRig {
    OpeningShell shell;
    std::unique_ptr<RefreshCycleWindow> window;
    NumericEntryField* field = nullptr;
    const FieldCase& c;
    std::vector<std::uint16_t> writes;

    explicit FieldRig(const FieldCase& fieldCase, std::uint32_t start) : c(fieldCase) {
        shell.setBoard({{"F152", 1}, {c.address, start}});
        shell.rig.board.setWriteObserver(
            [this](std::uint16_t address) { writes.push_back(address); });
        shell.rig.goOnline();
        ScriptedPrompt& prompt = shell.rig.prompt;
        auto& home = shell.rig.home;
        if (c.window == Window::Setup) window = std::make_unique<frmSetup>(shell, prompt);
        if (c.window == Window::ShiftData) window = std::make_unique<frmData>(shell, prompt);
        if (c.window == Window::Df1) window = std::make_unique<frmR760DF1>(shell, prompt);
        if (c.window == Window::TargetBoard) {
            auto target = std::make_unique<frmTargetBoard>(shell, prompt, shell.rig.clock, home.path());
            home.write("programs/PROG.rev", "QLBYDEMO1203\r\n");
            EXPECT_TRUE(target->prepare(home.write("programs/PROG.hbx", "A\r\n")));
            window = std::move(target);
        }
        window->resize(760, 560);
        ShowActive(*window);
        showPage(c.page);
        if (auto* setup = dynamic_cast<frmSetup*>(window.get())) field = setup->field(c.index);
        if (auto* data = dynamic_cast<frmData*>(window.get())) field = data->tripOffsetField();
        if (auto* df1 = dynamic_cast<frmR760DF1*>(window.get())) field = df1->numberField(c.index);
        if (auto* target = dynamic_cast<frmTargetBoard*>(window.get()))
            field = target->setupField(c.index);
        EXPECT_TRUE(RunEventsUntil([&] { return shownValue() == start; })) << c.address;
        shell.rig.prompt.clear();
        writes.clear();
    }
    // Brings page or tab `page` to the front, as a click on it does.
    void showPage(int page) {
        if (auto* setup = dynamic_cast<frmSetup*>(window.get())) setup->showPage(page);
        if (auto* data = dynamic_cast<frmData*>(window.get())) data->showPage(page);
        if (auto* target = dynamic_cast<frmTargetBoard*>(window.get())) target->showTab(page);
    }
    EntryTextBox* box() const { return field->textBox(); }
    std::int64_t shownValue() const {
        bool ok = false;
        const int value = field->text().toInt(&ok);
        return ok ? value : -1;
    }
    std::int32_t stored() const {
        return c.dataPoint < 0 ? 0 : shell.data.CurrentData.Value[static_cast<std::size_t>(c.dataPoint)];
    }
    void enter() {
        box()->setFocus(Qt::MouseFocusReason);
        RunEvents();
    }
    void type(const QString& text) {
        enter();
        box()->selectAll();
        QTest::keyClick(box(), Qt::Key_Delete);
        QTest::keyClicks(box(), text);
    }
    void press(Qt::Key key) {
        QTest::keyClick(box(), key);
        RunEvents();
    }
    // Lets the refresh read the board again until the field shows `value`.
    bool showsSoon(std::int64_t value) {
        return RunEventsUntil([&] { return shownValue() == value; }, 3000);
    }
};

// Per window: a field entered and left by Tab, Return, Esc Esc or Ok without a change writes
// nothing, even when the board moved on meanwhile. Per field: its limits, message title,
// address and data point; a value is written exactly as accepted. The parsing of the text
// (NumericText) runs once for each window.
TEST(EntryFields, everyFieldWritesOnlyAChangedWholeNumberInItsRangeAndRefusesAnythingElse) {
    for (const FieldCase& c : kFields) {
        SCOPED_TRACE(c.address);
        FieldRig f(c, static_cast<std::uint32_t>(c.low + 1));
        const bool first = std::find(std::begin(kOnePerWindow), std::end(kOnePerWindow), &c) !=
                           std::end(kOnePerWindow);
        if (first) {
            f.enter();
            f.press(Qt::Key_Tab);
            f.enter();
            f.press(Qt::Key_Return);
            f.enter(); // the board moves on while the field is entered: the stale text is no edit
            f.shell.rig.board.setValue(c.address, static_cast<std::uint32_t>(c.high));
            RunEvents(50);
            f.press(Qt::Key_Escape);
            f.press(Qt::Key_Escape);
            EXPECT_TRUE(f.showsSoon(c.high)) << "after Esc Esc the board's value shows again";
            f.type(QString::number(c.high)); // the same text again
            f.press(Qt::Key_Tab);
            EXPECT_TRUE(f.writes.empty());
            EXPECT_TRUE(f.shell.rig.prompt.requests().empty());
            EXPECT_FALSE(f.field->editing());
        }
        EXPECT_EQ(f.field->upDown()->minimum(), c.low);
        EXPECT_EQ(f.field->upDown()->maximum(), c.high);
        const std::int32_t storedBefore = f.stored();
        const QString low = QString::number(c.low);
        const QString high = QString::number(c.high);
        std::vector<QString> refused{"-1", QString::number(c.high + 1)};
        if (c.low > 0) refused.push_back(QString::number(c.low - 1));
        if (first)
            refused.insert(refused.end(),
                           {"", "abc", "2.5", "5e0", "1 2", "99999999999999999999", low + ".0"});
        for (const QString& text : refused) {
            SCOPED_TRACE(text.toStdString());
            f.shell.rig.prompt.clear();
            f.type(text);
            f.press(Qt::Key_Return);
            EXPECT_EQ(f.shell.rig.prompt.requests(),
                      std::vector<MessageRequest>{RangeMessage(c.title, c.low, c.high)});
            EXPECT_TRUE(f.writes.empty());
            EXPECT_EQ(f.stored(), storedBefore);
        }
        std::vector<std::pair<QString, int>> accepted{{low, c.low}, {high, c.high}};
        if (first) accepted = {{"+" + low, c.low}, {" " + high + " ", c.high}, {"0" + low, c.low}};
        if (first && c.low == 0) accepted.push_back({"-0", 0});
        for (const auto& [text, value] : accepted) {
            SCOPED_TRACE(text.toStdString());
            f.shell.rig.prompt.clear();
            f.writes.clear();
            f.type(text);
            f.press(Qt::Key_Return);
            EXPECT_TRUE(f.shell.rig.prompt.requests().empty());
            EXPECT_FALSE(f.writes.empty());
            EXPECT_EQ(f.shell.rig.board.value(c.address), static_cast<std::uint32_t>(value));
            EXPECT_EQ(f.shownValue(), value) << "shown as written";
            if (c.dataPoint >= 0) {
                EXPECT_EQ(f.stored(), value);
            }
        }
    }
    // Ok pressed with the focus in an unchanged clock field.
    FieldRig f(kFields[26], 12);
    f.enter();
    f.shell.rig.board.setValue("B43015", 13);
    QTest::mouseClick(f.window->findChild<QWidget*>("cmdOk"), Qt::LeftButton);
    EXPECT_TRUE(f.writes.empty());
}

// Closing a window ends an edit as well: TimingWindow.closingTheWindowChecksAndProgramsA...
TEST(EntryFields, aPageOrTabSwitchOrGoingOfflineEndsTheEditOnce) {
    for (const FieldCase* c : kOnePerWindow) {
        SCOPED_TRACE(c->address);
        FieldRig f(*c, static_cast<std::uint32_t>(c->low + 1));
        if (c->window != Window::Df1) { // the one page of its own
            const int otherPage = c->window == Window::TargetBoard ? 3 : 1;
            f.type(QString::number(c->high));
            f.showPage(otherPage);
            RunEvents();
            EXPECT_EQ(f.shell.rig.board.value(c->address), static_cast<std::uint32_t>(c->high));
            EXPECT_EQ(f.writes.size(), 1u) << "written once";
            EXPECT_FALSE(f.field->editing());
            f.showPage(c->page);
            f.enter(); // unchanged, then away: dropped, and the field refreshes again
            f.showPage(otherPage);
            f.showPage(c->page);
            f.shell.rig.board.setValue(c->address, static_cast<std::uint32_t>(c->low));
            EXPECT_TRUE(f.showsSoon(c->low));
            EXPECT_EQ(f.writes.size(), 1u);
        }
        f.type(QString::number(c->low + 1));
        f.shell.goOffline();
        EXPECT_TRUE(RunEventsUntil([&] { return !f.field->editing(); }));
        EXPECT_TRUE(f.shell.rig.prompt.requests().empty());
    }
}

// A write the board did not confirm (the field's own commit): NumericEntryField.
TEST(EntryFields, aReadTheLinkCouldNotConfirmNeverShows) {
    // The read before each field's own read; its next request is the field's.
    const std::pair<const FieldCase*, const char*> cases[] = {
        {&kFields[1], "B1012"}, {&kFields[17], "B598"}, {&kFields[18], "B4001"}};
    for (const auto& [c, before] : cases) {
        SCOPED_TRACE(c->address);
        // The field's read comes back with a wrong address echo; from the first such read on
        // the board holds the high limit.
        bool spoil = true;
        int spoiled = 0;
        FieldRig f(*c, static_cast<std::uint32_t>(c->low + 1));
        f.shell.rig.board.setReadObserver([&, c = c, before = before](std::uint16_t address) {
            if (!spoil || address != ByteOf(before)) return;
            f.shell.rig.board.corruptAnswerAt(0);
            if (++spoiled == 1)
                f.shell.rig.board.setValue(c->address, static_cast<std::uint32_t>(c->high));
        });
        for (int pass = 1; pass <= 3; ++pass) {
            ASSERT_TRUE(RunEventsUntil([&] { return spoiled > pass; }));
            EXPECT_EQ(f.shownValue(), c->low + 1) << "never 0, never the misread";
        }
        spoil = false;
        EXPECT_TRUE(f.showsSoon(c->high));
    }
}

} // namespace
} // namespace quelby::test
