#pragma once

#include "link/UserPrompt.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quelby {

class NumericEntryField;

// What sets one family of numeric entry fields apart from the others. The defaults are the
// fullest member, a set-up parameter field.
struct NumericEntryOptions {
    // What the up-down change does after its focus and flag handling.
    enum class UpDownAction {
        Commit, // commit the value now shown
        Check,  // run the full check, with what a passing value does
        None,   // nothing: the window reacts to upDownChanged
    };

    QString textName;   // object name of the text box, e.g. "txtSetup_3"
    QString upDownName; // object name of the up-down, e.g. "updSetup_3"
    std::string title;  // title of the range message
    int minimum = 0;
    int maximum = 100;
    int initialValue = 0;

    // The check and its message use 0 as the lower limit instead of the up-down's Min.
    bool checkFromZero = false;
    // The remembered value is kept to 16 bits (32 bits otherwise).
    bool rememberAsWord = false;
    // The field keeps an editing flag that the window's refresh respects.
    bool hasEditingFlag = true;
    // Entering the field rewrites its text as the plain decimal form of its leading number.
    bool rewriteOnEnter = false;

    // A passing value is written, online, to boardAddress (the data point's own address when
    // empty) and stored in this data point of CurrentData once the board confirmed it;
    // offline it is stored only. A board address without a data point: written online only.
    // Neither: nothing is stored or written; the window reacts to passed().
    std::optional<int> dataPoint;
    std::string boardAddress;

    // A text the field shows that is no entry (a channel with no setpoint): while the field
    // shows it the check is skipped and leaving the field does nothing.
    QString uncheckedText;
    // Rewrites the text before the check (a channel number field turns 8 and 9 into 10); the
    // field then shows the rewritten text.
    std::function<QString(const QString&)> beforeCheck;
    // A further check of a text inside the limits, run before the commit; it may rewrite the
    // field's text. A message refuses the value as the range check does (remembered value
    // back, focus kept), with this message instead of the range message.
    std::function<std::optional<MessageRequest>(NumericEntryField&)> furtherCheck;
    // Values the up-down's arrows step over, in the direction of the step.
    std::vector<int> upDownSkips;

    UpDownAction upDownAction = UpDownAction::Commit;
    bool upDownParksFocus = true;    // the up-down change moves the focus to cmdDefault
    bool upDownEndsEdit = true;      // the up-down change clears the editing flag
    bool upDownClearsEscOnce = true; // the up-down change clears the window's Esc-once flag
};

} // namespace quelby
