#pragma once

#include "link/UserPrompt.h"

#include <QPointer>
#include <QWidget>

namespace quelby {

// The core's questions as QMessageBox and QInputDialog, modal over the main window. The
// message's lines are joined with newlines (label and value columns line up); Escape answers Cancel, or No where there is no
// Cancel button.
class QtUserPrompt : public UserPrompt {
public:
    // The window the boxes open over; none until the main window exists.
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    MessageAnswer ask(const MessageRequest& request) override;
    std::optional<std::string> input(const InputRequest& request) override;

    // The box's text. Lines without a tab are plain lines. Lines of the form label TAB value
    // (one or more tabs) become rows of one two-column table, so the values of every block
    // line up in one column however wide their labels and however many tabs came between.
    static QString BoxText(const MessageRequest& request);

private:
    QPointer<QWidget> m_parent;
};

} // namespace quelby
