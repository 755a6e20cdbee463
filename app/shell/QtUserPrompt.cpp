#include "app/shell/QtUserPrompt.h"

#include <QInputDialog>
#include <QMessageBox>

namespace quelby {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OK:
        return QMessageBox::Ok;
    case MessageButtons::OKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The first button is the default, as in the boxes this program has always shown.
QMessageBox::StandardButton DefaultButton(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OK:
    case MessageButtons::OKCancel:
        return QMessageBox::Ok;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes;
    }
    return QMessageBox::Ok;
}

MessageAnswer FromQt(int button, MessageButtons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::OK;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        break;
    }
    // Closed with Escape or the close box.
    switch (buttons) {
    case MessageButtons::OK:
        return MessageAnswer::OK;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

} // namespace

MessageAnswer QtUserPrompt::ask(const MessageRequest& request) {
    QMessageBox box(ToQtIcon(request.icon), QString::fromStdString(request.title),
                    QString::fromStdString(request.text("\n")), ToQtButtons(request.buttons),
                    m_parent);
    box.setDefaultButton(DefaultButton(request.buttons));
    return FromQt(box.exec(), request.buttons);
}

std::optional<std::string> QtUserPrompt::input(const InputRequest& request) {
    bool accepted = false;
    const QString text = QInputDialog::getText(
        m_parent, QString::fromStdString(request.title), QString::fromStdString(request.prompt),
        QLineEdit::Normal, QString::fromStdString(request.defaultText), &accepted);
    if (!accepted) return std::nullopt;
    return text.toStdString();
}

} // namespace quelby
