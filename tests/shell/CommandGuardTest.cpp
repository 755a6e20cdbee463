#include "tests/shell/ShellRig.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/frmMain.h"

#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

// The shell with the Main Display online, its spindle field ready for typing.
struct EditingShell : ShellRig {
    EditingShell() : ShellRig(false) {
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        window.goOnline();
        // The online preparation fills the field and puts the focus on a button.
        EXPECT_TRUE(QTest::qWaitFor([&] { return spindle()->text() != "-"; }, 5000));
    }
    NumericEntryField* spindle() const {
        return qobject_cast<frmMain*>(window.currentChild())->spindleField();
    }
    void type(const char* text) {
        prompt.clear();
        EntryTextBox* box = spindle()->textBox();
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    // The command was refused: the field's message once, the focus kept in the field.
    void expectRefused(const char* command) {
        EXPECT_EQ(prompt.titles(), std::vector<std::string>{"Q.C. Blow-off"}) << command;
        EXPECT_EQ(QApplication::focusWidget(), spindle()->textBox()) << command;
        EXPECT_TRUE(window.link().OnlineMode) << command;
        EXPECT_TRUE(port.isOpen()) << command;
    }
};

TEST(CommandGuard, MenuShortcutsMenusAndTheModePanelWaitForTheCheckOfTheFieldBeingEdited) {
    EditingShell rig;
    rig.type("abc");
    QTest::keyClick(rig.spindle()->textBox(), Qt::Key_F4); // O&ffline Data
    rig.expectRefused("F4");

    rig.type("25");
    QMenuBar* bar = rig.window.menuBar();
    QAction* file = rig.item("mnuFile");
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->actionGeometry(file).center());
    rig.expectRefused("menu bar");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the menu did not open";

    rig.type("0");
    QTest::keyClick(rig.spindle()->textBox(), Qt::Key_F, Qt::AltModifier); // &File
    rig.expectRefused("Alt+F");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    rig.type("-1");
    QAction* offlineEditing = rig.item("mnuEditOfflineEditing");
    offlineEditing->trigger(); // as an item chosen in an open menu
    rig.expectRefused("Enable Offline Editing");
    EXPECT_FALSE(offlineEditing->isChecked()) << "the item keeps its mark";
    EXPECT_FALSE(rig.window.offlineEditing());

    rig.type("");
    QTest::mouseClick(rig.window.statusPanels().panel(2), Qt::LeftButton);
    rig.expectRefused("MODE panel");
    EXPECT_EQ(rig.panel(2), "ONLINE");

    // A number in range passes its check and the command acts.
    rig.type("12");
    QTest::keyClick(rig.spindle()->textBox(), Qt::Key_F4);
    EXPECT_TRUE(rig.prompt.requests().empty());
    EXPECT_FALSE(rig.window.link().OnlineMode);
    EXPECT_EQ(rig.panel(2), "OFFLINE");
}

} // namespace
} // namespace quelby::test
