#include "dialogs/frmDownloadProg.h"
#include "tests/link/ProgramRig.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

// Runs the window in `mode` and records the label before and after every tick of a timer that
// fires whenever the transfer lets events run, as Timer1 does every 250 ms. Each tick also
// tries the close box and Escape, which must leave the window up under its transfer.
QStringList RunWindow(RSComm& link, short mode) {
    frmDownloadProg window(link);
    window.SetTransferMode(mode);
    QStringList shown;
    QTimer watch;
    watch.setInterval(0);
    const auto record = [&] {
        if (shown.isEmpty() || shown.back() != window.labelText()) shown << window.labelText();
    };
    QObject::connect(&watch, &QTimer::timeout, [&] {
        record();
        window.showTransferState();
        record();
        const bool running = link.InProgramMode() || link.InUploadMode;
        window.close();
        QTest::keyClick(&window, Qt::Key_Escape);
        if (running && !window.isVisible()) shown << "(closed under its transfer)";
    });
    watch.start();
    window.exec();
    EXPECT_EQ(window.transferMode(), frmDownloadProg::Send) << "the mode goes back to send";
    EXPECT_FALSE(shown.contains("(closed under its transfer)"));
    return shown;
}

TEST(DownloadProgWindow, SendModeDumpsAndReadModeUploadsTheProgramShowingEachAddress) {
    ProgramRig rig;
    rig.link.DownloadFile(rig.hbx());
    rig.prompt.answerNext(MessageAnswer::Yes);
    QStringList shown = RunWindow(rig.link, frmDownloadProg::Send);
    // What goes into the board and comes back: ProgramDownload and ProgramUpload.
    ASSERT_GE(shown.size(), 3);
    EXPECT_EQ(shown.front(), "Sending Program at Address: ");
    EXPECT_TRUE(shown.contains("Writing to Program Address: 4000H"));
    EXPECT_TRUE(shown.contains("Writing to Program Address: BFE0H"))
        << "events run before each record is sent";
    EXPECT_FALSE(rig.link.InProgramMode());

    // Read mode uploads the program just sent, showing each block address.
    const std::filesystem::path back = rig.home.path() / "programs" / "BACK.hbx";
    std::filesystem::copy_file(rig.hbx(), back);
    rig.link.UploadFile(back);
    rig.link.InUploadMode = true;
    shown = RunWindow(rig.link, frmDownloadProg::Read);
    ASSERT_GE(shown.size(), 3);
    EXPECT_EQ(shown.front(), "Reading Program at Address: ");
    EXPECT_TRUE(shown.contains("Reading From Program Address: 4000H"));
    EXPECT_TRUE(shown.contains("Reading From Program Address: BFF0H"))
        << "events run after each block address is set";
    EXPECT_FALSE(rig.link.InUploadMode);
}

} // namespace
} // namespace quelby::test
