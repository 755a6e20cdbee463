#pragma once

#include "app/data/FileDialogs.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace quelby {

// The common file dialogs on QFileDialog, modal over the main window.
class QtFileDialogs : public FileDialogs {
public:
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override;

    // "Setup Files(*.sdt)|*.sdt|" as QFileDialog takes it: "Setup Files(*.sdt)"; a pattern
    // list "*.a;*.b" becomes "*.a *.b". Pairs are separated by ";;". Never fails: a filter
    // without patterns gives an empty text (all files).
    static QString ToQtFilter(const std::string& filter);
    // The extension of the filter's first pattern ("*.sdt" gives "sdt"); empty when that
    // pattern is not a plain "*.ext".
    static QString DefaultSuffix(const std::string& filter);

private:
    std::optional<std::filesystem::path> run(const FileDialogRequest& request, bool save);

    QPointer<QWidget> m_parent;
};

} // namespace quelby
