#include "dialogs/CentreWindow.h"
#include "app/shell/HelpWindow.h"
#include "app/shell/QtFileDialogs.h"
#include "app/shell/ShellMessages.h"
#include "tests/shell/ShellRig.h"
#include "app/shell/frmAbout.h"
#include "dialogs/frmSetupComm.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

TEST(AboutBox, ShowsTheVersionNotModalSystemInfoIsUnavailableAndOkClosesIt) {
    ShellRig rig;
    rig.item("mnuHelpAbout")->trigger();
    QPointer<frmAbout> about = rig.window.aboutBox();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->windowTitle(), "About QUELBY");
    EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version %1.%2.%3")
                                                                   .arg(QUELBY_VERSION_MAJOR)
                                                                   .arg(QUELBY_VERSION_MINOR)
                                                                   .arg(QUELBY_VERSION_PATCH));
    about->findChild<QPushButton*>("cmdSysInfo")->click();
    ASSERT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{ShellMessages::SystemInfoUnavailable()}));
    EXPECT_EQ(rig.prompt.requests()[0].text(), "System Information Is Unavailable At This Time");
    about->findChild<QPushButton*>("cmdOK")->click();
    EXPECT_TRUE(about.isNull() || !about->isVisible());
}

TEST(HelpTopics, AMissingHelpFileIsReportedThenTheFileOpensAtItsContents) {
    ShellRig rig;
    rig.window.showHelpTopics();
    EXPECT_EQ(rig.window.helpWindow(), nullptr);
    EXPECT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{
                  ShellMessages::HelpFileMissing(rig.window.helpFile().string())}));
    rig.home.write("help/INDEX.html", "<html><body><h1>QUELBY help contents</h1></body></html>");
    rig.item("mnuHelpHelpTopics")->trigger();
    HelpWindow* help = rig.window.helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->browser().toPlainText().contains("QUELBY help contents"));
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
}

TEST(LinkTrace, TheHelpItemStartsATraceOfEveryExchangeAndStopsIt) {
    ShellRig rig;
    QAction* item = rig.item("mnuHelpLinkTrace");
    item->trigger(); // the file dialog cancelled: no trace
    EXPECT_FALSE(rig.window.tracingLink());
    EXPECT_FALSE(item->isChecked());

    rig.dialogs.answerNext(rig.home.path() / "line.trace");
    item->trigger();
    EXPECT_TRUE(rig.window.tracingLink());
    EXPECT_TRUE(item->isChecked());
    rig.window.goOnline();
    rig.board.setValue("W1070", 1234);
    rig.window.link().RSRead("W1070");
    item->trigger();
    EXPECT_FALSE(rig.window.tracingLink());
    EXPECT_FALSE(item->isChecked());
    const std::string trace = rig.home.read("line.trace");
    EXPECT_NE(trace.find(" FF 55 handshake\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(" 2E D2\n"), std::string::npos) << "W1070 is 042E, 1234 is 04D2: " << trace;

    EXPECT_FALSE(rig.window.startLinkTrace(rig.home.path() / "no-folder" / "t.txt"));
    ASSERT_FALSE(rig.prompt.requests().empty());
    EXPECT_EQ(rig.prompt.requests().back().title, "Link Trace");
}

TEST(HelpTopics, TheProgramsHelpCoversItsSubjects) {
    const QString page = QString::fromStdString(ReadWholeFile(QUELBY_HELP_FILE));
    for (const char* subject : {"ONLINE", "OFFLINE", "status bar", "Main Display", "quelby-cli"})
        EXPECT_TRUE(page.contains(subject, Qt::CaseInsensitive)) << subject;
}

TEST(QtFileDialogs, FilterBecomesQtsForm) {
    EXPECT_EQ(QtFileDialogs::ToQtFilter("Setup Files(*.sdt)|*.sdt|"), "Setup Files(*.sdt)");
    EXPECT_EQ(QtFileDialogs::ToQtFilter("Text Files|*.txt;*.log|All Files (*.*)|*.*|"),
              "Text Files (*.txt *.log);;All Files (*.*)");
    EXPECT_EQ(QtFileDialogs::ToQtFilter(""), "");
}

TEST(CentreWindow, PlacesTheWindowInTheMiddleOfTheScreen) {
    QWidget window;
    window.resize(200, 100);
    window.show();
    CentreWindow(window);
    const QRect area = window.screen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    EXPECT_EQ(frame.x() - area.x(), (area.width() - frame.width()) / 2);
    EXPECT_EQ(frame.y() - area.y(), (area.height() - frame.height()) / 2);
}

TEST(CommPortDialog, OpensModallyAndAFailedReopenShowsTheProgramOffline) {
    ShellRig rig;
    rig.window.goOnline();
    ASSERT_EQ(rig.panel(2), "ONLINE");
    bool wasModal = false;
    // Inside the dialog: a port without a device, Save (the dialog stays), then Cancel.
    QTimer::singleShot(0, &rig.window, [&] {
        auto* dialog = qobject_cast<frmSetupComm*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        wasModal = dialog->isModal();
        rig.port.setMissing(true);
        dialog->findChild<QLineEdit*>("txtCommPort")->setText("4");
        dialog->findChild<QPushButton*>("cmdSave")->click();
        EXPECT_TRUE(dialog->isVisible());
        dialog->findChild<QPushButton*>("cmdCancel")->click();
    });
    rig.item("mnuEditCommPort")->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"Comm Port Error"});
    EXPECT_FALSE(rig.window.link().OnlineMode);
    EXPECT_EQ(rig.panel(2), "OFFLINE");
}

} // namespace
} // namespace quelby::test
