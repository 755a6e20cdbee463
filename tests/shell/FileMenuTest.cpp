#include "app/data/DataSetMessages.h"
#include "report/ReportOutput.h"
#include "app/data/SetupFile.h"
#include "tests/shell/ShellRig.h"
#include "app/data/ShiftExport.h"
#include "app/shell/QtFileDialogs.h"
#include "app/shell/frmWaitDisplay.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace quelby::test {
namespace {

std::string FileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FileMenu, OpenOfAnotherVersionAsksYesNoOfferTheDialogAgainCancelKeepsTheData) {
    ShellRig rig;
    MachineData old = rig.window.dataSet().DefaultData;
    old.Version = "QUELBY_R1.0.0";
    old.Value[97] = 42;
    const auto file = rig.home.path() / "OLD.sdt";
    std::error_code error;
    ASSERT_TRUE(WriteSetupFile(file, old, error));

    // No: the dialog comes again; Cancel: the data set stays as it was.
    rig.dialogs.answerNext(file);
    rig.dialogs.answerNext(file);
    rig.prompt.answerNext(MessageAnswer::No);
    rig.prompt.answerNext(MessageAnswer::Cancel);
    rig.item("mnuFileOpen")->trigger();
    EXPECT_EQ(rig.dialogs.requests().size(), 2u);
    EXPECT_EQ(rig.dialogs.requests()[0].filter, DataSetFiles::kSetupFilter);
    EXPECT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{DataSetMessages::OtherVersion(old.Version),
                                           DataSetMessages::OtherVersion(old.Version)}));
    EXPECT_NE(rig.window.dataSet().CurrentData.Value[97], 42);
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [unnamed][*]");

    rig.dialogs.answerNext(file);
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.item("mnuFileOpen")->trigger();
    EXPECT_EQ(rig.window.dataSet().CurrentData.Value[97], 42);
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [OLD.sdt][*]");
}

// The title's "[*]" shows the modified mark while the data set holds unsaved changes: a
// window's edit sets it within a poll tick, a save clears it, a failed save keeps it.
TEST(FileMenu, SaveAsThenSaveWritesTheFileAndAFailedSaveIsReportedAndStaysUnsaved) {
    ShellRig rig;
    const auto file = rig.home.path() / "LINE3.sdt";
    EXPECT_FALSE(rig.window.isWindowModified());
    rig.window.dataSet().CurrentData.Value[97] = 11;
    rig.window.backgroundUpdate();
    EXPECT_TRUE(rig.window.isWindowModified());
    rig.dialogs.answerNext(file);
    rig.item("mnuFileSaveAs")->trigger();
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [LINE3.sdt][*]");
    EXPECT_FALSE(rig.window.isWindowModified());
    EXPECT_EQ(ReadSetupFile(file).data.Value[97], 11);

    rig.window.dataSet().CurrentData.Value[97] = 12;
    rig.window.backgroundUpdate();
    EXPECT_TRUE(rig.window.isWindowModified());
    rig.item("mnuFileSave")->trigger();
    EXPECT_FALSE(rig.window.isWindowModified());
    EXPECT_EQ(rig.dialogs.requests().size(), 1u); // named now: no dialog
    EXPECT_EQ(ReadSetupFile(file).data.Value[97], 12);
    EXPECT_FALSE(rig.window.dataSet().HasUnsavedChanges());
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [LINE3.sdt][*]");

    std::filesystem::create_directory(rig.home.path() / "LINE3.sdt.tmp"); // cannot be made
    rig.window.dataSet().CurrentData.Value[97] = 13;
    rig.item("mnuFileSave")->trigger();
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0].lines.at(0),
              "The set-up file \"LINE3.sdt\" could not be saved (Is a directory).");
    EXPECT_EQ(ReadSetupFile(file).data.Value[97], 12);
    EXPECT_TRUE(rig.window.dataSet().HasUnsavedChanges());
    EXPECT_TRUE(rig.window.isWindowModified());
}

TEST(FileMenu, ExportWritesTheShiftDataAndOffersThePathNextTime) {
    ShellRig rig;
    rig.window.dataSet().CurrentData.Value[25] = -5;
    const auto file = rig.home.path() / "shift.txt";
    rig.dialogs.answerNext(file);
    rig.item("mnuFileExport")->trigger();
    EXPECT_EQ(FileText(file), ShiftExportText(rig.window.dataSet().CurrentData, {"", ""}));
    const std::string text = FileText(file);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kShiftExportLineCount);
    EXPECT_NE(text.find("\r\n-5\r\n"), std::string::npos);

    rig.dialogs.answerNext(std::nullopt);
    rig.item("mnuFileExport")->trigger();
    ASSERT_EQ(rig.dialogs.requests().size(), 2u);
    EXPECT_EQ(rig.dialogs.requests()[0].filter, "Text Files(*.txt)|*.txt|");
    EXPECT_TRUE(rig.dialogs.requests()[0].initialName.empty());
    EXPECT_EQ(rig.dialogs.requests()[1].initialName, file);
    EXPECT_TRUE(rig.prompt.requests().empty());
}

TEST(FileMenu, ExportThatCannotBeWrittenShowsTheExportMessage) {
    ShellRig rig;
    const auto file = rig.home.path() / "missing" / "shift.txt";
    rig.dialogs.answerNext(file);
    rig.item("mnuFileExport")->trigger();
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0].title,
              ShiftExportFailed(file, std::make_error_code(std::errc::io_error)).title);
    EXPECT_EQ(rig.window.fileExportPath(), file);
}

TEST(FileMenu, PrintReportWithoutAPrinterWritesAPdfAndLeavesNoStandbyWindow) {
    ShellRig rig;
    const auto file = rig.home.path() / "report.pdf";
    rig.dialogs.answerNext(file);
    rig.item("mnuFilePrint")->trigger();
    EXPECT_EQ(rig.printers.m_dialogsShown, 0);
    ASSERT_EQ(rig.dialogs.requests().size(), 1u);
    EXPECT_EQ(rig.dialogs.requests()[0].filter, "PDF Files(*.pdf)|*.pdf|");
    EXPECT_EQ(rig.dialogs.requests()[0].title, "No printer is installed: save the report as a PDF file");
    EXPECT_EQ(FileText(file).substr(0, 5), "%PDF-");
    EXPECT_TRUE(rig.prompt.requests().empty());
    EXPECT_EQ(rig.window.findChild<frmWaitDisplay*>(), nullptr);
}

TEST(FileMenu, PrintReportCancelledEndsSilentlyAFailedPdfIsReported) {
    ShellRig rig;
    rig.printers.m_hasPrinter = true;
    rig.item("mnuFilePrint")->trigger();
    EXPECT_EQ(rig.printers.m_dialogsShown, 1);
    EXPECT_TRUE(rig.dialogs.requests().empty());
    EXPECT_TRUE(rig.prompt.requests().empty());

    rig.printers.m_hasPrinter = false;
    rig.dialogs.answerNext(std::nullopt);
    rig.item("mnuFilePrint")->trigger();
    EXPECT_TRUE(rig.prompt.requests().empty());

    const auto file = rig.home.path() / "missing" / "report.pdf";
    rig.dialogs.answerNext(file);
    rig.item("mnuFilePrint")->trigger();
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0].title, "Print Report");
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(FileMenu, PrintReportOnAPrinterPrintsOrSaysThePrinterFailed) {
    ShellRig rig;
    rig.printers.m_hasPrinter = true;
    const auto printed = rig.home.path() / "printed.pdf";
    rig.printers.m_printTo = QString::fromStdString(printed.string());
    rig.item("mnuFilePrint")->trigger();
    EXPECT_TRUE(rig.prompt.requests().empty());
    EXPECT_GT(std::filesystem::file_size(printed), 1000u);

    // A printer that cannot take the job (here: its output cannot be opened).
    rig.printers.m_printTo =
        QString::fromStdString((rig.home.path() / "missing" / "x.pdf").string());
    rig.item("mnuFilePrint")->trigger();
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0], ReportNotPrinted(""));
}

// The real save dialog, answered by typing a name: one without an extension gets the
// filter's, one with an extension of its own keeps it.
TEST(FileMenu, SaveDialogAddsTheFiltersExtensionToANameWithoutOne) {
    TempFolder folder;
    QtFileDialogs dialogs;
    const struct {
        std::string filter, typed, saved;
    } cases[] = {
        {DataSetFiles::kSetupFilter, "visit1", "visit1.sdt"},
        {DataSetFiles::kSetupFilter, "visit.txt", "visit.txt"},
        {"Text Files(*.txt)|*.txt|", "shift1", "shift1.txt"},
    };
    for (const auto& c : cases) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(c.typed));
            QMetaObject::invokeMethod(dialog, "accept"); // protected, a slot
        });
        const auto chosen = dialogs.saveFile({c.filter, folder.path() / "*.x"});
        ASSERT_TRUE(chosen) << c.typed;
        EXPECT_EQ(chosen->filename(), c.saved) << c.typed;
    }
}

TEST(FileMenu, StandbyWindowNamesTheReportWhilePrinting) {
    frmWaitDisplay wait(WaitReason::PrintReport);
    EXPECT_EQ(wait.objectName(), "frmWaitDisplay");
    EXPECT_EQ(wait.labelText(), "Generating Report, Please Standby ...");
    EXPECT_TRUE(wait.runWhileShown([&] { return wait.isVisible() && !wait.isModal(); }));
    EXPECT_FALSE(wait.isVisible());
    EXPECT_EQ(frmWaitDisplay(WaitReason::None).labelText(), "Please Standby ...");
}

} // namespace
} // namespace quelby::test
