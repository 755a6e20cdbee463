#include "tests/shell/ShellRig.h"

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
    {"mnuFileOpen", "&Open...", "Ctrl+O", true, true},
    {"mnuFileSave", "&Save", "Ctrl+S", true, true},
    {"mnuFileSaveAs", "Save &As...", "", true, true},
    {"mnuFileExport", "Export Shift Data...", "Ctrl+X", true, true},
    {"mnuFileUpload", "&Upload (save) Data", "", true, true},
    {"mnuFileDownloadProgram", "Download &Program", "", true, true},
    {"mnuFileDownload", "&Download Data", "", true, true},
    {"mnuFilePrint", "&Print Report...", "Ctrl+P", true, true},
    {"mnuFilePrintSetup", "Print Set&up...", "", false, false},
    {"mnuFileExit", "E&xit", "", true, true},
    {"mnuEditOfflineEditing", "Enable &Offline Editing", "F2", true, true},
    {"mnuEditCommPort", "Co&mm Port", "Ctrl+M", true, true},
    {"mnuEditPasscode", "Set-up Passcode", "", false, false},
    {"mnuViewTargetBoardStatus", "&Target Board Interface", "", true, true},
    {"mnuViewOnline", "O&nline Data", "F3", true, true},
    {"mnuViewOffline", "O&ffline Data", "F4", true, true},
    {"mnuHelpHelpTopics", "&Help Topics", "Ctrl+H", true, true},
    {"mnuHelpLinkTrace", "Link &Trace...", "", true, true},
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

TEST(MainMenus, TopLevelMenusInOrderAndTheTransferSubmenusWithTheirFiveItems) {
    ShellRig rig(false);
    QStringList captions;
    for (QAction* menu : rig.window.menuBar()->actions())
        captions << menu->text();
    EXPECT_EQ(captions, (QStringList{"&File", "&Edit", "&View", "&Window", "&Help"}));
    for (const char* name : {"mnuFileUpload", "mnuFileDownload"}) {
        QStringList items;
        for (QAction* item : rig.window.findChild<QMenu*>(name)->actions())
            items << (item->isSeparator() ? "-" : item->text());
        EXPECT_EQ(items, (QStringList{"Set-up &Parameters", "Timing &Channels", "Shift &Data", "-",
                                      "&All"}));
    }
}

TEST(MainMenus, WindowMenuOffersTheSixWindowsOnlyTheBuiltOnesEnabled) {
    ShellRig rig(false);
    QStringList captions;
    for (QAction* item : rig.window.findChild<QMenu*>("mnuWindow")->actions()) {
        captions << item->text();
        EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
    }
    EXPECT_EQ(captions, (QStringList{"&1 Main Display", "&2 Set-up Parameters",
                                     "&3 Serial Communications", "&4 Machine Timing",
                                     "&5 Shift Data", "&6 I/O States"}));
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
