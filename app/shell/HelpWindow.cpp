#include "app/shell/HelpWindow.h"

#include <QKeyEvent>
#include <QTextDocument>
#include <QVBoxLayout>

namespace quelby {
namespace {
constexpr int kTextMargin = 20;
} // namespace

HelpWindow::HelpWindow(const std::filesystem::path& helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this)),
      m_contents(QUrl::fromLocalFile(QString::fromStdString(helpFile.string()))) {
    setObjectName("frmHelp");
    setWindowTitle("QUELBY Help");
    m_browser->setObjectName("txtHelp");
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(720, 560);
    showContents();
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void HelpWindow::showContents() {
    showUrl(m_contents);
}

void HelpWindow::showTopic(const QString& page, const QString& anchor) {
    QUrl url = m_contents.resolved(QUrl(page));
    if (!anchor.isEmpty()) url.setFragment(anchor);
    showUrl(url);
}

void HelpWindow::showUrl(const QUrl& url) {
    m_browser->setSource(url);
    // Text away from the window's edges, as on a page.
    m_browser->document()->setDocumentMargin(kTextMargin);
}

} // namespace quelby
