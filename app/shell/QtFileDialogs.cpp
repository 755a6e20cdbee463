#include "app/shell/QtFileDialogs.h"

#include "link/FilePaths.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace quelby {

QString QtFileDialogs::ToQtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed().replace(u';', u' ');
        if (patterns.isEmpty()) continue;
        if (description.endsWith(u'(' + patterns + u')'))
            filters << description;
        else
            filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(u";;");
}

QString QtFileDialogs::DefaultSuffix(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    if (parts.size() < 2) return {};
    const QString pattern = parts[1].trimmed().section(u';', 0, 0);
    if (!pattern.startsWith(QStringLiteral("*.")) || pattern.size() < 3 ||
        pattern.indexOf(u'*', 1) >= 0 || pattern.contains(u'?'))
        return {};
    return pattern.mid(2);
}

std::optional<std::filesystem::path> QtFileDialogs::run(const FileDialogRequest& request,
                                                        bool save) {
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, !save);
    dialog.setNameFilter(ToQtFilter(request.filter));
    if (!request.title.empty()) dialog.setWindowTitle(QString::fromStdString(request.title));
    // "visit1" saved as a set-up file becomes visit1.sdt, so File > Open lists it; a name with
    // an extension of its own keeps it.
    if (save) {
        const QString suffix = DefaultSuffix(request.filter);
        if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
    }

    // The initial name may be a pattern ("<home>/*.sdt"): start in its folder then.
    const std::filesystem::path& initial = request.initialName;
    const std::string fileName = initial.filename().string();
    if (initial.has_parent_path())
        dialog.setDirectory(QString::fromStdString(initial.parent_path().string()));
    if (!fileName.empty() && fileName.find_first_of("*?") == std::string::npos)
        dialog.selectFile(QString::fromStdString(fileName));

    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const std::filesystem::path chosen(dialog.selectedFiles().constFirst().toStdString());
        if (!save) return chosen;
        // "Visit1.sdt" beside an existing "visit1.sdt" is that file, as on the PC's own file
        // system: the dialog asked about the exact name only, so ask before replacing it.
        const std::filesystem::path existing = FindPath(chosen.parent_path(), chosen.filename());
        if (existing == chosen) return chosen;
        const auto answer = QMessageBox::question(
            &dialog, dialog.windowTitle(),
            QStringLiteral("%1 already exists.\nDo you want to replace it?")
                .arg(QString::fromStdString(existing.filename().string())),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes) return existing;
    }
}

std::optional<std::filesystem::path> QtFileDialogs::openFile(const FileDialogRequest& request) {
    return run(request, false);
}

std::optional<std::filesystem::path> QtFileDialogs::saveFile(const FileDialogRequest& request) {
    return run(request, true);
}

} // namespace quelby
