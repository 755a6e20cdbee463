#include "app/shell/HelpWindow.h"

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

void HelpWindow::showContents() {
    m_browser->setSource(m_contents);
    // Text away from the window's edges, as on a page.
    m_browser->document()->setDocumentMargin(kTextMargin);
}

} // namespace quelby
