#include "dialogs/SetupCommMessages.h"
#include "dialogs/frmSetupComm.h"
#include "link/PortMap.h"
#include "link/SystemSerialPort.h"
#include "tests/link/LinkRig.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace quelby::test {
namespace {
namespace fs = std::filesystem;

// The dialog over a link on the simulated board, in a scratch home folder.
struct SetupCommRig : LinkRig {
    std::unique_ptr<frmSetupComm> dialog;

    frmSetupComm& open() {
        dialog = std::make_unique<frmSetupComm>(link, port, prompt, home.path());
        return *dialog;
    }
    // Online, the dialog shown with `portText` typed into its port field.
    frmSetupComm& openOnline(const char* portText) {
        link.OpenRSComm(port);
        EXPECT_TRUE(link.OnlineMode);
        frmSetupComm& shown = open();
        shown.show();
        portField()->setText(portText);
        return shown;
    }
    template <typename T> T* child(const char* name) const { return dialog->findChild<T*>(name); }
    QLineEdit* portField() const { return child<QLineEdit>("txtCommPort"); }
    // The port number and the speed chosen, "5 19200".
    std::string shown() const {
        return portField()->text().toStdString() +
               (child<QRadioButton>("optPortSpeed_0")->isChecked() ? " 9600" : "") +
               (child<QRadioButton>("optPortSpeed_1")->isChecked() ? " 19200" : "");
    }
    fs::path settingsFile() const { return home.path() / "Support" / "RSPort.cfg"; }
};

TEST(SetupComm, PortFieldRefusesZeroHundredAndTextAndKeepsTheFocus) {
    SetupCommRig rig;
    frmSetupComm& dialog = rig.open();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const MessageRequest rangeMessage = SetupCommMessages::PortOutOfRange(1, 99);
    EXPECT_EQ(rangeMessage.text(), "Only a Number Between 1 and 99 can be Entered");

    for (const char* text : {"0", "100", "abc"}) {
        rig.prompt.clear();
        rig.portField()->setFocus();
        rig.portField()->setText(text);
        QTest::keyClick(rig.portField(), Qt::Key_Tab); // leaving the field
        QCoreApplication::processEvents();
        EXPECT_EQ(rig.prompt.requests(), std::vector{rangeMessage}) << text;
        EXPECT_TRUE(rig.portField()->hasFocus()) << text;
        rig.child<QPushButton>("cmdSave")->click();
        EXPECT_EQ(rig.prompt.titles(), (std::vector<std::string>{"Comm Port", "Comm Port"}))
            << text;
        EXPECT_TRUE(dialog.isVisible()) << text;
    }
    EXPECT_FALSE(fs::exists(rig.settingsFile()));
}

TEST(SetupComm, LoadsTheSettingsShowsTheDeviceBehindTheNumberAndItsArrowsStepUpTo99) {
    SetupCommRig rig;
    rig.home.write("Support/RSPort.cfg", "5, 19200 \r\n");
    rig.home.write("Support/SerialPorts.cfg", "5=/dev/null\n");
    rig.open();
    EXPECT_EQ(rig.shown(), "5 19200");
    auto* device = rig.child<QLabel>("lblPortDevice");
    EXPECT_EQ(device->text(), "/dev/null (present)");
    rig.portField()->setText("6");
    EXPECT_EQ(device->text(),
              "/dev/ttyS5 (" + QString(fs::exists("/dev/ttyS5") ? "present" : "not found") + ")");

    rig.home.write("Support/RSPort.cfg", "7,4800\r\n");
    rig.open();
    EXPECT_EQ(rig.shown(), "7 9600");

    // A device given for this run serves every number: the dialog shows that one.
    SystemSerialPort given(PortMap::load(PortMap::FileIn(rig.home.path())), "/dev/pts/77");
    frmSetupComm overridden(rig.link, given, rig.prompt, rig.home.path());
    EXPECT_EQ(overridden.findChild<QLabel*>("lblPortDevice")->text(),
              "/dev/pts/77 (given with --device, this run)");

    // The up arrow raises the number, the down arrow lowers it, up to 99.
    frmSetupComm& dialog = *rig.dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QWidget* arrows = rig.child<QWidget>("updCommPort");
    // A click on the upper or lower end of the arrows, delivered as the window system does.
    const auto click = [&](bool up) {
        const QPoint at(arrows->width() / 2, up ? 2 : arrows->height() - 3);
        QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, arrows->mapTo(&dialog, at));
        return rig.portField()->text();
    };
    rig.portField()->setText("5");
    EXPECT_EQ(click(true), "6");
    EXPECT_EQ(click(false), "5");
    EXPECT_EQ(click(false), "4");
    rig.portField()->setText("99");
    EXPECT_EQ(click(true), "99");
}

TEST(SetupComm, SavingOfflineWritesTheFilesAndClosesWithoutOpeningThePort) {
    SetupCommRig rig;
    frmSetupComm& dialog = rig.open();
    dialog.show();
    rig.portField()->setText("3");
    rig.child<QRadioButton>("optPortSpeed_1")->setChecked(true);
    rig.child<QPushButton>("cmdSave")->click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ReadWholeFile(rig.settingsFile()), "3, 19200 \r\n");
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.port.bytesSent(), 0);
    EXPECT_TRUE(rig.prompt.requests().empty());
}

TEST(SetupComm, CancelWritesNothingSaveReopensTheLinkOnTheNewPortOrStaysOpenOfflineWithoutABoard) {
    SetupCommRig rig;
    frmSetupComm& cancelled = rig.openOnline("4");
    rig.child<QPushButton>("cmdCancel")->click();
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(ReadWholeFile(rig.settingsFile()), "1,9600\r\n"); // as the link wrote it
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_TRUE(rig.port.isOpen());

    frmSetupComm& saved = rig.open();
    saved.show();
    rig.portField()->setText("2");
    rig.child<QPushButton>("cmdSave")->click();
    EXPECT_EQ(saved.result(), QDialog::Accepted);
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_EQ(rig.port.openedWith().portNumber, 2);

    // Saving online to a port without a board: the dialog stays open, the link offline.
    frmSetupComm& dialog = rig.openOnline("9");
    rig.port.setMissing(true);
    rig.child<QPushButton>("cmdSave")->click();

    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"Comm Port Error"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_EQ(ReadWholeFile(rig.settingsFile()), "9, 9600 \r\n");
}

// Find Board lists the search's findings; the board picked fills in its number and speed (a
// device without a number gets a free one, numbered in the port map only when saved), and
// nothing is written before Save. Online the port is the link's: no search runs.
TEST(SetupComm, FindBoardFillsInThePickedBoardsPortAndSpeedAndSaveWritesThem) {
    SetupCommRig rig;
    std::vector<SearchResult> found(3);
    found[0].where = {"/dev/ttyS0", 1};
    found[1].where = {"/dev/serial/by-id/usb-FTDI_A1-port0", 0};
    found[1].outcome = found[2].outcome = SearchResult::Outcome::Board;
    found[1].baud = 19200;
    found[2].where = {"/dev/ttyUSB1", 7};
    found[2].baud = 9600;
    int searches = 0;
    frmSetupComm& dialog = rig.openOnline("4");
    dialog.setBoardSearch([&](const BoardSearch::Progress& progress) {
        ++searches;
        EXPECT_TRUE(progress(found[0].where, 9600));
        return found;
    });
    // Picks row `row` of the list the search shows.
    const auto pick = [&](int row) {
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            auto* list = qobject_cast<frmFindBoard*>(QApplication::activeModalWidget());
            if (!list) return;
            auto* rows = list->findChild<QListWidget*>("lstBoards");
            EXPECT_FALSE(rows->item(0)->flags() & Qt::ItemIsSelectable);
            rows->setCurrentRow(row);
            list->findChild<QPushButton*>("cmdUse")->click();
        });
        answerer.start(10);
        rig.child<QPushButton>("cmdFindBoard")->click();
    };
    pick(2);
    EXPECT_EQ(searches, 0);
    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"Find Board"});

    rig.link.CloseRSComm();
    rig.prompt.clear();
    pick(2);
    EXPECT_EQ(rig.shown(), "7 9600");
    pick(1);
    const std::string number = rig.portField()->text().toStdString();
    EXPECT_EQ(rig.shown(), number + " 19200");
    EXPECT_EQ(rig.child<QLabel>("lblPortDevice")->text(),
              "/dev/serial/by-id/usb-FTDI_A1-port0 (found; numbered in Support/SerialPorts.cfg "
              "when saved)");
    EXPECT_EQ(ReadWholeFile(rig.settingsFile()), "1,9600\r\n") << "nothing saved yet";
    EXPECT_FALSE(fs::exists(rig.home.path() / "Support" / "SerialPorts.cfg"));

    rig.home.write("Support/SerialPorts.cfg", "# adapters\n5=/dev/null");
    rig.child<QPushButton>("cmdSave")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ReadWholeFile(rig.settingsFile()), number + ", 19200 \r\n");
    EXPECT_EQ(ReadWholeFile(rig.home.path() / "Support" / "SerialPorts.cfg"),
              "# adapters\n5=/dev/null\r\n" + number + "=/dev/serial/by-id/usb-FTDI_A1-port0\r\n");
    EXPECT_TRUE(rig.prompt.requests().empty());
}

// A number the map file gained while the program ran (Find Board's, or one added by hand)
// reaches the port with Save: the next open uses its device.
TEST(SetupComm, SaveHandsTheMapFilesNumbersToThePort) {
    SetupCommRig rig;
    SystemSerialPort system(PortMap{});
    frmSetupComm dialog(rig.link, system, rig.prompt, rig.home.path());
    rig.home.write("Support/SerialPorts.cfg", "6=/dev/null\n");
    dialog.findChild<QLineEdit*>("txtCommPort")->setText("6");
    dialog.save();
    PortError error;
    EXPECT_FALSE(system.open({6, 9600}, error)); // not a serial port, but the right device
    EXPECT_EQ(system.device(), "/dev/null");
}

} // namespace
} // namespace quelby::test
