#include "diagnostics/frmDisplayIO.h"
#include "link/RSComm.h"
#include "tests/views/TestShell.h"

#include <QGroupBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

namespace quelby::test {
namespace {

const QColor kBlue(0, 0, 255);
const QColor kDarkRed(192, 0, 0);

struct IoWindow {
    TestShell shell;
    std::unique_ptr<frmDisplayIO> window;
    int passes = 0;

    void open() {
        window = std::make_unique<frmDisplayIO>(shell);
        QObject::connect(window.get(), &frmDisplayIO::stateReadFinished, [this] { ++passes; });
        ShowActive(*window);
    }
    QLabel* label(const QString& name) const {
        QLabel* found = window->findChild<QLabel*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QString state(const char* row, int index) const {
        return label(QString("%1State_%2").arg(row).arg(index))->text();
    }
    QColor colour(const char* row, int index) const {
        return label(QString("%1State_%2").arg(row).arg(index))->palette().color(QPalette::WindowText);
    }
    void runPasses(int count = 1) {
        const int target = passes + count;
        ASSERT_TRUE(RunEventsUntil([&] { return passes >= target; }));
    }
};

TEST(DisplayIOWindow, onlineShowsEveryInputOutputAndValueFromTheFifteenReads) {
    IoWindow w;
    auto& board = w.shell.rig.board;
    board.setValue("W100", 257);
    board.setValue("W110", 0xFFFF);
    board.setValue("W170", 32768);
    board.setValue("F16", 1);
    board.setValue("F17", 0);
    board.setValue("B166", 100);
    board.setValue("W182", 1187);
    board.setValue("W188", 65535);
    w.shell.rig.goOnline();
    w.open();
    EXPECT_EQ(w.window->windowTitle(), "I/O Status");
    w.runPasses(2);

    EXPECT_EQ(w.label("lblSlot00_0")->text(), "(B100.0)    0:");
    EXPECT_EQ(w.label("lblSlot00_8")->text(), "(B101.0)  10:");
    EXPECT_EQ(w.label("lblSlot00_8")->toolTip(), "Main Drive ON");
    for (int b = 0; b < 16; ++b) {
        const bool on = b == 0 || b == 8;
        EXPECT_EQ(w.state("lblSlot00", b), on ? "ON" : "off") << b;
        EXPECT_EQ(w.colour("lblSlot00", b), on ? kBlue : kDarkRed) << b;
        EXPECT_EQ(w.state("lblTmgChannel", b), b == 15 ? "ON" : "off") << b;
        EXPECT_EQ(w.state("lblSlot01", b), "ON") << b;
        EXPECT_EQ(w.state("lblSlot02", b), "off") << b;
    }
    EXPECT_EQ(w.label("lblTmgChannel_15")->text(), "CH17:");
    EXPECT_EQ(w.label("lblTmgChannelState_15")->toolTip(), "B171.7");
    EXPECT_EQ(w.label("lblTmgChannel_0")->toolTip(), "Print Carriage Trip");
    EXPECT_EQ(w.state("lblk610", 0), "ON");
    EXPECT_EQ(w.colour("lblk610", 0), kBlue);
    EXPECT_EQ(w.state("lblk610", 1), "off");
    EXPECT_EQ(w.colour("lblk610", 1), kDarkRed);
    EXPECT_EQ(w.label("lblk610_0")->toolTip(), "Can/No Can Sensor");
    EXPECT_EQ(w.label("lblk610_4")->text(), "Analog Output 0:");
    EXPECT_EQ(w.state("lblk610", 4), "100");
    EXPECT_EQ(w.label("lblk610State_4")->toolTip(), "B166");
    EXPECT_EQ(w.state("lblk610", 7), "1187");
    EXPECT_EQ(w.state("lblk610", 10), "65535");
    EXPECT_EQ(w.state("lblk610", 2), "0");

    // One pass reads the fifteen addresses in their order, and writes nothing.
    w.window->stopCycle();
    RunEvents(20);
    board.clearTrace();
    QObject::connect(w.window.get(), &frmDisplayIO::stateReadFinished, [&] { w.window->stopCycle(); });
    w.window->startCycle();
    w.runPasses();
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

TEST(DisplayIOWindow, offlineOrAfterALinkFailureEveryStateIsADash) {
    IoWindow w;
    w.open();
    RunEvents(20);
    EXPECT_EQ(w.state("lblSlot02", 3), "-");
    EXPECT_FALSE(w.label("lblSlot02State_3")->isEnabled());
    EXPECT_FALSE(w.window->findChild<QGroupBox*>("fraBMIO_0")->isEnabled());
    EXPECT_TRUE(w.shell.rig.board.trace().empty()) << "offline the window reads nothing";

    w.shell.rig.board.setValue("W120", 0xFFFF);
    w.shell.rig.board.setValue("B167", 128);
    w.shell.rig.goOnline();
    w.runPasses();
    EXPECT_EQ(w.state("lblSlot02", 3), "ON");
    EXPECT_EQ(w.state("lblk610", 5), "128");
    EXPECT_EQ(w.state("lblk610", 0), "off") << "F16 = 0";
    EXPECT_TRUE(w.label("lblSlot02State_3")->isEnabled());

    w.shell.rig.board.stopAnsweringAfter(11); // in the middle of a pass
    ASSERT_TRUE(RunEventsUntil([&] { return !w.shell.rig.link.OnlineMode; }));
    ASSERT_TRUE(RunEventsUntil([&] { return w.state("lblSlot02", 3) == "-"; }));
    EXPECT_EQ(w.shell.onlineStatusUpdates, 1);
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(w.state("lblSlot02", b), "-") << b;
        EXPECT_EQ(w.state("lblTmgChannel", b), "-") << b;
        EXPECT_EQ(w.colour("lblSlot02", b), kBlue) << b;
    }
    for (int i = 0; i < 11; ++i) EXPECT_EQ(w.state("lblk610", i), "-") << i;
    EXPECT_FALSE(w.label("lblk610_5")->isEnabled());
    for (const auto& request : w.shell.rig.prompt.requests())
        EXPECT_EQ(request.buttons, MessageButtons::RetryCancel) << "only the link's own message";
}

} // namespace
} // namespace quelby::test
