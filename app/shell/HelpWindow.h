#pragma once

#include <QTextBrowser>
#include <QWidget>

#include <filesystem>

namespace quelby {

// The program's help, Help/index.html under the home folder, in a window of its own opened
// at its contents. Links between help pages stay in the window; others open outside.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    HelpWindow(const std::filesystem::path& helpFile, QWidget* parent = nullptr);

    // Back to the contents page.
    void showContents();
    // A page beside the contents page ("setup.html"), at an anchor of it when one is given.
    void showTopic(const QString& page, const QString& anchor = {});
    const QTextBrowser& browser() const { return *m_browser; }

protected:
    // Esc closes the help, as it does a dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showUrl(const QUrl& url);

    QTextBrowser* m_browser;
    QUrl m_contents;
};

} // namespace quelby
