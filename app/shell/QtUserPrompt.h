#pragma once

#include "link/UserPrompt.h"

#include <QPointer>
#include <QWidget>

namespace quelby {

// The core's questions as QMessageBox and QInputDialog, modal over the main window. The
// message's lines are joined with newlines; Escape answers Cancel, or No where there is no
// Cancel button.
class QtUserPrompt : public UserPrompt {
public:
    // The window the boxes open over; none until the main window exists.
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    MessageAnswer ask(const MessageRequest& request) override;
    std::optional<std::string> input(const InputRequest& request) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace quelby
