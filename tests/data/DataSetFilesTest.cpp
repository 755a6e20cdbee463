// File New, Open, Save and Save As as the user meets them: questions, dialogs, caption.
#include "app/data/DataSetFiles.h"
#include "app/data/SetupFile.h"
#include "sim/ManualClock.h"
#include "tests/support/FileSystemTraits.h"
#include "tests/support/ScriptedFileDialogs.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

namespace fs = std::filesystem;

// The main window's file commands after start-up, over a temporary folder.
struct FilesRig {
    FilesRig() { files.New(); }
    std::string firstLine(std::size_t request) const {
        return prompt.requests().at(request).lines.front();
    }
    // The initial name of each dialog shown (a Save As dialog has none); all for set-up files.
    std::vector<std::string> shown() const {
        std::vector<std::string> names;
        for (const FileDialogRequest& request : dialogs.requests()) {
            EXPECT_EQ(request.filter, "Setup Files(*.sdt)|*.sdt|");
            names.push_back(request.initialName.string());
        }
        return names;
    }

    TempFolder folder;
    DataSet data;
    ScriptedPrompt prompt;
    ScriptedFileDialogs dialogs;
    sim::ManualClock clock;
    DataSetFiles files{data, prompt, dialogs, clock, folder.path()};
};

MachineData otherVersion() {
    MachineData record = BuildDefaultData();
    record.Version = "QUELBY_R2.1.0";
    record.Value[97] = 12;
    return record;
}

TEST(DataSetFiles, saveAsThenOpenRestoresEveryFieldAddressesIncluded) {
    FilesRig rig;
    EXPECT_EQ(rig.files.windowCaption(), "QUELBY - [unnamed]");
    MachineData& current = rig.data.CurrentData;
    current.Address[3] = "W3000";
    // Every value different and within its address's range (other files are refused).
    for (std::size_t i = 0; i < current.Value.size(); ++i) {
        const std::string& address = current.Address[i];
        current.Value[i] = address.find('.') != std::string::npos ? 1
                           : address[0] == 'B'                    ? int(i)
                           : address[0] == 'W'                    ? 60000 + int(i)
                                                                  : 600000000 + int(i);
    }
    current.PLSScale = 720;
    current.ResolverOffset = -3;
    current.SpeedComp[7] = 11;
    current.Setpoint[15] = {1, 359};
    const MachineData edited = current;

    const fs::path file = rig.folder.path() / "LINE3.sdt";
    rig.dialogs.answerNext(file);
    rig.dialogs.answerNext(file);
    EXPECT_EQ(rig.files.Save(), FileCommandResult::Done); // unnamed: Save As
    EXPECT_EQ(rig.files.New(), FileCommandResult::Done);
    EXPECT_TRUE(rig.prompt.requests().empty()) << "saved data asks nothing";
    EXPECT_EQ(rig.files.Open(), FileCommandResult::Done);
    EXPECT_EQ(rig.data.CurrentData, edited);
    EXPECT_FALSE(rig.data.HasUnsavedChanges());
    EXPECT_EQ(rig.files.windowCaption(), "QUELBY - [LINE3.sdt]");
    EXPECT_EQ(rig.files.uploadNow(), "1/5/2026 8:00:00 AM");
    EXPECT_EQ(rig.shown(), (std::vector<std::string>{"", file.string()}));
}

TEST(DataSetFiles, aFileOfAnotherVersionIsTakenOnlyWithYesAndAFailedSaveKeepsItUnsaved) {
    FilesRig rig;
    const std::string oldBytes = SetupFileBytes(otherVersion());
    const fs::path old = rig.folder.write("old.sdt", oldBytes);
    const MachineData defaults = rig.data.CurrentData;

    // No: the dialog again, at the refused file (cancelled here). Cancel: everything stays.
    rig.prompt.answerNext(MessageAnswer::No);
    rig.prompt.answerNext(MessageAnswer::Cancel);
    for (const auto& answer : {std::optional(old), std::optional<fs::path>(), std::optional(old)})
        rig.dialogs.answerNext(answer);
    EXPECT_EQ(rig.files.Open(), FileCommandResult::Cancelled);
    EXPECT_EQ(rig.files.Open(), FileCommandResult::Cancelled);
    const fs::path home = rig.folder.path() / "*.sdt";
    EXPECT_EQ(rig.shown(), (std::vector<std::string>{home.string(), old.string(), home.string()}));
    EXPECT_EQ(rig.prompt.requests().at(0),
              (MessageRequest{"QUELBY",
                              {"File created by set-up program version: QUELBY_R2.1.0",
                               "Data tables may not be properly aligned.", "",
                               "Do you wish to continue?"},
                              MessageButtons::YesNoCancel,
                              MessageIcon::Information}));
    EXPECT_EQ(rig.data.CurrentData, defaults);
    EXPECT_EQ(rig.files.windowCaption(), "QUELBY - [unnamed]");
    EXPECT_TRUE(rig.data.TimingReload);

    // Yes: taken with its own version, so leaving it asks to save.
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.dialogs.answerNext(old);
    EXPECT_EQ(rig.files.Open(), FileCommandResult::Done);
    EXPECT_EQ(rig.data.CurrentData, otherVersion());
    EXPECT_EQ(rig.files.windowCaption(), "QUELBY - [old.sdt]");
    EXPECT_EQ(rig.files.New(), FileCommandResult::Cancelled);
    EXPECT_EQ(rig.firstLine(3), "Save Changes to File?");

    // A save that fails is reported; Yes to saving before New and a failing save keep the data.
    fs::create_directory(rig.folder.path() / "old.sdt.tmp"); // the new file cannot be made
    EXPECT_EQ(rig.files.Save(), FileCommandResult::Failed);
    EXPECT_EQ(rig.firstLine(4), std::string("The set-up file \"old.sdt\" could not be saved (") +
                                    test::kFolderAsFileText + ").");
    rig.prompt.answerNext(MessageAnswer::Yes);
    EXPECT_EQ(rig.files.New(), FileCommandResult::Cancelled);
    EXPECT_EQ(rig.firstLine(5), "Save Changes to File?");
    EXPECT_EQ(rig.data.CurrentData, otherVersion());
    EXPECT_EQ(rig.folder.read("old.sdt"), oldBytes);

    fs::remove(rig.folder.path() / "old.sdt.tmp");
    EXPECT_EQ(rig.files.Save(), FileCommandResult::Done);
    EXPECT_FALSE(rig.data.HasUnsavedChanges());
    EXPECT_EQ(ReadSetupFile(old).data.Version, ProgramVersion);
}

TEST(DataSetFiles, aShortFileIsFittedAndACutOneIsReportedAndNotTaken) {
    FilesRig rig;
    MachineData record = BuildDefaultData();
    record.Address.resize(100);
    record.Value.resize(100);
    const std::string bytes = SetupFileBytes(record);
    rig.dialogs.answerNext(rig.folder.write("short.sdt", bytes));
    rig.dialogs.answerNext(rig.folder.write("cut.sdt", bytes.substr(0, bytes.size() - 1)));
    ASSERT_EQ(rig.files.Open(), FileCommandResult::Done);
    EXPECT_EQ(rig.data.CurrentData.Address[99], "B1007");
    EXPECT_EQ(rig.data.CurrentData.Address[100], "");
    EXPECT_EQ(rig.data.CurrentData.Value[104], 0);

    const MachineData before = rig.data.CurrentData;
    EXPECT_EQ(rig.files.Open(), FileCommandResult::Failed);
    EXPECT_EQ(rig.data.CurrentData, before);
    EXPECT_EQ(rig.files.windowCaption(), "QUELBY - [short.sdt]");
    EXPECT_EQ(rig.firstLine(0), "The file \"cut.sdt\" could not be read as a set-up file.");
    EXPECT_EQ(rig.prompt.requests()[0].lines[2], "It ends before the set-up data is complete.");
}

} // namespace
} // namespace quelby::test
