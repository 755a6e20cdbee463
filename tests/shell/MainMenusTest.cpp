#include "ShellRig.h"

#include <QMenu>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

struct ItemRow {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool enabled;
    bool visible;
};

// Every command item as the menus must offer it in this build: commands not built yet are
// present and disabled; the passcode and print set-up items are hidden.
const ItemRow kItems[] = {
    {"mnuFileNew", "&New...", "Ctrl+N", true, true},
    {"mnuFileOpen", "&Open...", "Ctrl+O", false, true},
    {"mnuFileSave", "&Save", "Ctrl+S", false, true},
    {"mnuFileSaveAs", "Save &As...", "", false, true},
    {"mnuFileExport", "Export Shift Data...", "Ctrl+X", false, true},
    {"mnuFileUpload", "&Upload (save) Data", "", false, true},
    {"mnuFileDownloadProgram", "Download &Program", "", false, true},
    {"mnuFileDownload", "&Download Data", "", false, true},
    {"mnuFilePrint", "&Print Report...", "Ctrl+P", false, true},
    {"mnuFilePrintSetup", "Print Set&up...", "", false, false},
    {"mnuFileExit", "E&xit", "", true, true},
    {"mnuEditOfflineEditing", "Enable &Offline Editing", "F2", true, true},
    {"mnuEditCommPort", "Co&mm Port", "Ctrl+M", false, true},
    {"mnuEditPasscode", "Set-up Passcode", "", false, false},
    {"mnuViewTargetBoardStatus", "&Target Board Interface", "", false, true},
    {"mnuViewOnline", "O&nline Data", "F3", true, true},
    {"mnuViewOffline", "O&ffline Data", "F4", true, true},
    {"mnuHelpHelpTopics", "&Help Topics", "Ctrl+H", true, true},
    {"mnuHelpAbout", "&About QUELBY", "", true, true},
};

TEST(MainMenus, EveryItemHasItsCaptionShortcutAndState) {
    ShellRig rig(false);
    for (const ItemRow& row : kItems) {
        SCOPED_TRACE(row.name);
        QAction* item = rig.item(row.name);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), row.caption);
        EXPECT_EQ(item->shortcut(), QKeySequence(row.shortcut));
        EXPECT_EQ(item->isEnabled(), row.enabled);
        EXPECT_EQ(item->isVisible(), row.visible);
    }
}

TEST(MainMenus, TopLevelMenusInOrder) {
    ShellRig rig(false);
    QStringList captions;
    for (QAction* menu : rig.window.menuBar()->actions())
        captions << menu->text();
    EXPECT_EQ(captions, (QStringList{"&File", "&Edit", "&View", "&Window", "&Help"}));
}

TEST(MainMenus, FileMenuOrderWithSeparators) {
    ShellRig rig(false);
    QStringList names;
    for (QAction* item : rig.window.findChild<QMenu*>("mnuFile")->actions())
        names << item->objectName();
    EXPECT_EQ(names, (QStringList{"mnuFileNew", "mnuFileOpen", "mnuFileSave", "mnuFileSaveAs",
                                  "mnuFileSeparator1", "mnuFileExport", "mnuFileSeparator2",
                                  "mnuFileUpload", "mnuFileDownloadProgram", "mnuFileDownload",
                                  "mnuFileSeparator3", "mnuFilePrint", "mnuFilePrintSetup",
                                  "mnuFileSeparator4", "mnuFileExit"}));
}

TEST(MainMenus, TransferSubmenusOfferTheFiveItemsDisabled) {
    ShellRig rig(false);
    for (const char* name : {"mnuFileUpload", "mnuFileDownload"}) {
        SCOPED_TRACE(name);
        QStringList captions;
        for (QAction* item : rig.window.findChild<QMenu*>(name)->actions()) {
            captions << (item->isSeparator() ? "-" : item->text());
            EXPECT_FALSE(item->isEnabled() && !item->isSeparator());
        }
        EXPECT_EQ(captions, (QStringList{"Set-up &Parameters", "Timing &Channels", "Shift &Data",
                                         "-", "&All"}));
    }
}

TEST(MainMenus, CheckMarksAtStart) {
    ShellRig rig(false);
    EXPECT_TRUE(rig.item("mnuViewOffline")->isChecked());
    EXPECT_FALSE(rig.item("mnuViewOnline")->isChecked());
    EXPECT_FALSE(rig.item("mnuEditOfflineEditing")->isChecked());
}

TEST(MainMenus, WindowMenuOffersTheSixWindowsOnlyTheBuiltOnesEnabled) {
    ShellRig rig(false);
    const QStringList captions{
        "&1 Main Display",   "&2 Set-up Parameters", "&3 Serial Communications",
        "&4 Machine Timing", "&5 Shift Data",        "&6 I/O States"};
    const QList<QAction*> items = rig.window.findChild<QMenu*>("mnuWindow")->actions();
    ASSERT_EQ(items.size(), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i]->objectName(), "mnuWindowForm");
        EXPECT_EQ(items[i]->text(), captions[i]);
        EXPECT_EQ(items[i]->isChecked(), i == 0);
        // Only the Main Display is built so far.
        EXPECT_EQ(items[i]->isEnabled(), i == 0);
    }
}

TEST(MainMenus, OfflineEditingTogglesItsCheckAndTheFlag) {
    ShellRig rig(false);
    QAction* item = rig.item("mnuEditOfflineEditing");
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(rig.window.offlineEditing());
    EXPECT_FALSE(rig.window.link().OnlineMode);
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(rig.window.offlineEditing());
}

} // namespace
} // namespace quelby::test
