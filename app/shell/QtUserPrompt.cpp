#include "app/shell/QtUserPrompt.h"

#include <QInputDialog>
#include <QMessageBox>

#include <algorithm>

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
    return DismissedAnswer(buttons);
}

// Leading blanks kept as an indent in rich text.
QString HtmlCell(const QString& text) {
    qsizetype blanks = 0;
    while (blanks < text.size() && text[blanks] == QLatin1Char(' ')) ++blanks;
    return QStringLiteral("&nbsp;").repeated(blanks) + text.mid(blanks).trimmed().toHtmlEscaped();
}

} // namespace

QString QtUserPrompt::BoxText(const MessageRequest& request) {
    const bool columns = std::any_of(request.lines.begin(), request.lines.end(),
                                     [](const std::string& line) { return line.find('\t') != std::string::npos; });
    if (!columns) return QString::fromStdString(request.text("\n"));
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"1\">");
    for (const std::string& line : request.lines) {
        const QString text = QString::fromStdString(line);
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            html += QStringLiteral("<tr><td colspan=\"2\">%1</td></tr>")
                        .arg(text.isEmpty() ? QStringLiteral("&nbsp;") : HtmlCell(text));
            continue;
        }
        html += QStringLiteral("<tr><td>%1</td><td style=\"padding-left:12px\">%2</td></tr>")
                    .arg(HtmlCell(text.left(tab)), HtmlCell(text.mid(tab)));
    }
    return html + QStringLiteral("</table>");
}

MessageAnswer QtUserPrompt::ask(const MessageRequest& request) {
    const QString text = BoxText(request);
    QMessageBox box(ToQtIcon(request.icon), QString::fromStdString(request.title), text,
                    ToQtButtons(request.buttons), m_parent);
    // A path or a file's text is never taken for markup; only the column table is.
    box.setTextFormat(text.startsWith(QStringLiteral("<table")) ? Qt::RichText : Qt::PlainText);
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
