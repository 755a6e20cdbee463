#include "diagnostics/frmDisplayIO.h"
#include "tests/views/WindowRig.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

const QColor kBlue(0, 0, 255);
const QColor kDarkRed(192, 0, 0);

struct IoWindow : WindowRig<frmDisplayIO> {
    QLabel* label(const QString& name) const { return control<QLabel>(name); }
    QString state(const char* row, int index) const {
        return label(QString("%1State_%2").arg(row).arg(index))->text();
    }
    QColor colour(const char* row, int index) const {
        return label(QString("%1State_%2").arg(row).arg(index))->palette().color(QPalette::WindowText);
    }
};

TEST(DisplayIOWindow, onlineShowsEveryInputOutputAndValueFromTheFifteenReads) {
    IoWindow w;
    auto& board = w.shell.rig.board;
    w.shell.setBoard({{"W100", 257}, {"W110", 0xFFFF}, {"W170", 32768}, {"F16", 1}, {"F17", 0},
                      {"B166", 100}, {"W182", 1187}, {"W188", 65535}});
    w.shell.rig.goOnline();
    w.open();
    EXPECT_EQ(w.window->windowTitle(), "I/O Status");
    ASSERT_TRUE(w.waitPasses(2));

    // Captions and tips name each bit's address: a row off by one shows here.
    const std::pair<const char*, const char*> texts[] = {
        {"lblSlot00_0", "(B100.0)    0:"}, {"lblSlot00_8", "(B101.0)  10:"},
        {"lblTmgChannel_15", "CH17:"},    {"lblk610State_4", "100"},
        {"lblk610State_7", "1187"},       {"lblk610State_10", "65535"},
        {"lblk610State_2", "0"}};
    for (auto [name, text] : texts) EXPECT_EQ(w.label(name)->text(), text) << name;
    EXPECT_EQ(w.label("lblSlot00_8")->toolTip(), "Main Drive ON");
    EXPECT_EQ(w.label("lblTmgChannelState_15")->toolTip(), "B171.7");
    EXPECT_EQ(w.label("lblk610State_4")->toolTip(), "B166");
    for (int b = 0; b < 16; ++b) {
        const bool on = b == 0 || b == 8;
        EXPECT_EQ(w.state("lblSlot00", b), on ? "ON" : "off") << b;
        EXPECT_EQ(w.colour("lblSlot00", b), on ? kBlue : kDarkRed) << b;
        EXPECT_EQ(w.state("lblTmgChannel", b), b == 15 ? "ON" : "off") << b;
        EXPECT_EQ(w.state("lblSlot01", b), "ON") << b;
        EXPECT_EQ(w.state("lblSlot02", b), "off") << b;
    }
    for (auto [index, state, colour] : {std::tuple{0, "ON", kBlue}, {1, "off", kDarkRed}}) {
        EXPECT_EQ(w.state("lblk610", index), state) << index;
        EXPECT_EQ(w.colour("lblk610", index), colour) << index;
    }

    // One pass reads the fifteen addresses in their order, and writes nothing.
    w.window->stopCycle();
    RunEvents(20);
    board.clearTrace();
    bool read = false;
    QObject::connect(w.window.get(), &frmDisplayIO::stateReadFinished, [&] {
        read = true;
        w.window->stopCycle();
    });
    w.window->startCycle();
    ASSERT_TRUE(RunEventsUntil([&] { return read; }));
    LinkRig reference;
    reference.goOnline();
    reference.link.RSRead("W120"); // read mode entered, as after a previous pass
    reference.board.clearTrace();
    for (const char* address : {"F16", "F17", "W162", "W164", "B166", "B167", "W180", "W182",
                                "W184", "W186", "W188", "W170", "W100", "W110", "W120"})
        reference.link.RSRead(address);
    const auto sent = [](const sim::SimBoard& of) {
        std::vector<std::uint8_t> bytes;
        for (const auto& entry : of.trace()) bytes.push_back(entry.received);
        return bytes;
    };
    EXPECT_EQ(sent(board), sent(reference.board));
}

// A link failure turning the window offline: SetupWindow.aLinkFailureInARefresh...
TEST(DisplayIOWindow, offlineEveryStateIsADash) {
    IoWindow w;
    w.open();
    RunEvents(20);
    EXPECT_EQ(w.state("lblSlot02", 3), "-");
    EXPECT_FALSE(w.label("lblSlot02State_3")->isEnabled());
    EXPECT_FALSE(w.control("fraBMIO_0")->isEnabled());
    EXPECT_TRUE(w.shell.rig.board.trace().empty()) << "offline the window reads nothing";

    w.shell.setBoard({{"W120", 0xFFFF}, {"B167", 128}});
    w.shell.rig.goOnline();
    // W120 is the last of a pass's reads.
    ASSERT_TRUE(RunEventsUntil([&] { return w.state("lblSlot02", 3) == "ON"; }));
    EXPECT_EQ(w.state("lblk610", 5), "128");
    EXPECT_EQ(w.state("lblk610", 0), "off") << "F16 = 0";
    EXPECT_TRUE(w.label("lblSlot02State_3")->isEnabled());

    w.shell.goOffline(); // what was shown online goes
    ASSERT_TRUE(RunEventsUntil([&] { return w.state("lblSlot02", 3) == "-"; }));
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(w.state("lblSlot02", b), "-") << b;
        EXPECT_EQ(w.state("lblTmgChannel", b), "-") << b;
        EXPECT_EQ(w.colour("lblSlot02", b), kBlue) << b;
    }
    for (int i = 0; i < 11; ++i) EXPECT_EQ(w.state("lblk610", i), "-") << i;
    EXPECT_FALSE(w.label("lblk610_5")->isEnabled());
}

} // namespace
} // namespace quelby::test
