#include "views/NumericEntryField.h"
#include "tests/views/TestShell.h"
#include "views/EntryMessages.h"
#include "views/EntryTextBox.h"
#include "views/UpDownControl.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

constexpr int kSegmentsPoint = 97; // B1018 in the built-in data set

NumericEntryOptions SetupOptions(int index, int minimum, int maximum, int dataPoint) {
    NumericEntryOptions options;
    options.textName = QString("txtSetup_%1").arg(index);
    options.upDownName = QString("updSetup_%1").arg(index);
    options.title = "Set-up";
    options.minimum = minimum;
    options.maximum = maximum;
    options.initialValue = minimum;
    options.dataPoint = dataPoint;
    return options;
}

// A window with two set-up fields (5..80 on data point 97, 0..6 on data point 98), a button
// after them in tab order and the focus-parking button.
struct FieldWindow {
    TestShell shell;
    bool escOnce = false;
    QWidget window;
    NumericEntryField* first = new NumericEntryField(SetupOptions(0, 5, 80, kSegmentsPoint),
                                                     shell, shell.rig.prompt, escOnce, &window);
    NumericEntryField* second = new NumericEntryField(SetupOptions(1, 0, 6, kSegmentsPoint + 1),
                                                      shell, shell.rig.prompt, escOnce, &window);
    QPushButton* next = new QPushButton("Next", &window);
    QPushButton* cmdDefault = new QPushButton("-", &window);

    FieldWindow() {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* widget : std::initializer_list<QWidget*>{first, second, next, cmdDefault})
            layout->addWidget(widget);
        first->setParkingButton(cmdDefault);
        second->setParkingButton(cmdDefault);
        first->setText("20");
        second->setText("3");
        ShowActive(window);
    }
    QLineEdit* box() const { return first->textBox(); }
    // Enters the first field and replaces its text as the user would.
    void typeIntoFirst(const QString& text) {
        box()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(box(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box(), Qt::Key_Delete);
        if (!text.isEmpty()) QTest::keyClicks(box(), text);
    }
    void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    std::int32_t stored(int point = kSegmentsPoint) const {
        return shell.data.CurrentData.Value[static_cast<std::size_t>(point)];
    }
};

// Entering remembers the value (halved to even) and selects the whole text; Enter moves on as
// Tab and commits a passing value in its plain form; a first Esc restores and stays, a second
// in a row leaves, another key between resets that.
TEST(NumericEntryField, enteringSelectsAllEnterCommitsAsTabAndASecondEscapeInARowLeaves) {
    FieldWindow w;
    w.next->setFocus(Qt::MouseFocusReason);
    w.escOnce = true;
    w.first->setText("22.5kg");
    w.box()->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(w.first->rememberedValue(), 22);
    EXPECT_TRUE(w.first->editing());
    EXPECT_FALSE(w.escOnce);
    EXPECT_EQ(w.box()->selectedText(), "22.5kg");

    w.typeIntoFirst(" 10 ");
    w.press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w.second->textBox());
    EXPECT_EQ(w.first->text(), "10");
    EXPECT_EQ(w.stored(), 10);
    EXPECT_FALSE(w.first->editing());
    EXPECT_TRUE(w.shell.rig.prompt.requests().empty());

    w.typeIntoFirst("33");
    w.press(Qt::Key_Escape);
    EXPECT_EQ(w.first->text(), "10");
    EXPECT_EQ(QApplication::focusWidget(), w.box()) << "a first Esc keeps the focus";
    QTest::keyClicks(w.box(), "4");
    EXPECT_FALSE(w.escOnce);
    w.press(Qt::Key_Escape);
    EXPECT_EQ(w.first->text(), "10");
    EXPECT_EQ(QApplication::focusWidget(), w.box()) << "Esc, another key, Esc stays";
    EXPECT_TRUE(w.escOnce);
    w.press(Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), w.cmdDefault);
    EXPECT_FALSE(w.escOnce);
    EXPECT_FALSE(w.first->editing());
    EXPECT_EQ(w.first->text(), "10");
}

TEST(NumericEntryField, aPassingValueIsStoredOfflineAndOnlineOnlyWhenTheBoardConfirmedIt) {
    FieldWindow w;
    const auto enter = [&](const char* text) {
        w.typeIntoFirst(text);
        w.press(Qt::Key_Tab);
        EXPECT_EQ(w.first->text(), text);
    };
    enter("12");
    EXPECT_EQ(w.stored(), 12);
    EXPECT_TRUE(w.shell.rig.board.trace().empty()) << "offline: the data set only";
    w.shell.rig.goOnline();
    w.shell.rig.link.CommError = true;
    enter("13");
    EXPECT_TRUE(w.shell.rig.board.trace().empty()) << "a failed link sends nothing";
    EXPECT_EQ(w.stored(), 12) << "and stores nothing";
    w.shell.rig.link.CommError = false;
    enter("14");
    EXPECT_EQ(w.shell.rig.board.value("B1018"), 14u);
    EXPECT_EQ(w.stored(), 14);
    EXPECT_TRUE(w.shell.rig.prompt.requests().empty());

    // Every pass of the write spoiled: nothing stored, the user told once.
    w.shell.rig.board.setWriteObserver([&](std::uint16_t) { w.shell.rig.board.corruptAnswerAt(-1); });
    enter("15");
    EXPECT_EQ(w.stored(), 14);
    ASSERT_EQ(w.shell.rig.prompt.requests(),
              std::vector<MessageRequest>{WriteNotConfirmedMessage("B1018", "15")});
    EXPECT_EQ(w.shell.rig.prompt.requests()[0].text(" "),
              "The target board did not confirm the value 15 written to B1018. The window shows "
              "what the board holds at its next reading.");
}

TEST(NumericEntryField, theUpDownStopsAtItsLimitsAndCommitsEachStep) {
    FieldWindow w;
    w.shell.rig.goOnline();
    w.first->setText("80");
    w.first->upDown()->stepUp();
    EXPECT_EQ(w.first->text(), "80");
    EXPECT_TRUE(w.shell.rig.board.trace().empty()) << "no change at the limit, nothing sent";

    w.box()->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(w.first->upDown()->downButton(), Qt::LeftButton);
    EXPECT_EQ(w.first->text(), "79");
    EXPECT_EQ(QApplication::focusWidget(), w.cmdDefault);
    EXPECT_FALSE(w.first->editing());
    EXPECT_EQ(w.stored(), 79);
    EXPECT_EQ(w.shell.rig.board.value("B1018"), 79u);

    w.first->setText("5");
    w.first->upDown()->stepDown();
    EXPECT_EQ(w.first->text(), "5");
    w.first->setText("junk");
    w.first->upDown()->stepUp();
    EXPECT_EQ(w.first->text(), "80") << "from the up-down's own value when the text is no number";
}

// A refused value: the range message once, the remembered value back and selected, the focus
// and the edit kept, nothing stored or sent; and another field's arrows did not act.
TEST(NumericEntryField, anotherFieldsArrowsWaitForTheCheckOfAnUncheckedEdit) {
    FieldWindow w;
    w.shell.rig.goOnline();
    const std::int32_t secondStored = w.stored(kSegmentsPoint + 1);
    QToolButton* secondUp = w.second->upDown()->upButton();
    w.typeIntoFirst("4");
    QTest::mouseClick(secondUp, Qt::LeftButton);
    EXPECT_EQ(w.shell.rig.prompt.requests(),
              (std::vector<MessageRequest>{OkBox("Set-up", {"Only a Number Between 5 and 80 can be Entered"},
                                                 MessageIcon::Information)}));
    EXPECT_EQ(w.box()->selectedText(), "20");
    EXPECT_EQ(QApplication::focusWidget(), w.box());
    EXPECT_TRUE(w.first->editing()) << "the refresh keeps its hands off while correcting";
    EXPECT_EQ(w.stored(), w.shell.data.DefaultData.Value[kSegmentsPoint]);
    EXPECT_EQ(w.second->text(), "3") << "the arrows did not act";
    EXPECT_EQ(w.stored(kSegmentsPoint + 1), secondStored);
    EXPECT_TRUE(w.shell.rig.board.trace().empty());

    // A passing edit is committed first, then the arrows act.
    w.shell.rig.prompt.clear();
    w.typeIntoFirst("30");
    QTest::mouseClick(secondUp, Qt::LeftButton);
    EXPECT_EQ(w.stored(), 30);
    EXPECT_EQ(w.shell.rig.board.value("B1018"), 30u);
    EXPECT_EQ(w.second->text(), "4");
    EXPECT_TRUE(w.shell.rig.prompt.requests().empty());
}

TEST(NumericEntryField, aWordFieldRemembersSixteenBits) {
    TestShell shell;
    bool escOnce = false;
    NumericEntryOptions options;
    options.rememberAsWord = true;
    NumericEntryField field(options, shell, shell.rig.prompt, escOnce);
    field.setText("40000");
    field.Click();
    EXPECT_EQ(field.rememberedValue(), -25536);
}

} // namespace
} // namespace quelby::test
