#include "app/shell/MainMenus.h"

namespace quelby {

MainMenus::MainMenus(QMenuBar& bar, const std::array<bool, kWindowCount>& windowBuilt)
    : QObject(&bar) {
    QMenu* file = addMenu(bar, "mnuFile", "&File");
    m_fileNew = addItem(file, "mnuFileNew", "&New...", QKeySequence("Ctrl+N"));
    m_fileOpen = addItem(file, "mnuFileOpen", "&Open...", QKeySequence("Ctrl+O"));
    m_fileSave = addItem(file, "mnuFileSave", "&Save", QKeySequence("Ctrl+S"));
    m_fileSaveAs = addItem(file, "mnuFileSaveAs", "Save &As...");
    addSeparator(file, "mnuFileSeparator1");
    m_fileExport = addItem(file, "mnuFileExport", "Export Shift Data...", QKeySequence("Ctrl+X"));
    m_fileCompareBoard = addItem(file, "mnuFileCompareBoard", "Compare with &Board...");
    m_fileRecordLive = addItem(file, "mnuFileRecordLive", "&Record Live Values...");
    m_fileRecordLive->setCheckable(true);
    addSeparator(file, "mnuFileSeparator2");
    QMenu* upload = file->addMenu("&Upload (save) Data");
    upload->setObjectName("mnuFileUpload");
    upload->menuAction()->setObjectName("mnuFileUpload");
    m_fileUploadData = addTransferItems(upload, "mnuFileUploadData");
    m_fileDownloadProgram = addItem(file, "mnuFileDownloadProgram", "Download &Program");
    QMenu* download = file->addMenu("&Download Data");
    download->setObjectName("mnuFileDownload");
    download->menuAction()->setObjectName("mnuFileDownload");
    m_fileDownloadData = addTransferItems(download, "mnuFileDownloadData");
    addSeparator(file, "mnuFileSeparator3");
    m_filePrint = addItem(file, "mnuFilePrint", "&Print Report...", QKeySequence("Ctrl+P"));
    addItem(file, "mnuFilePrintSetup", "Print Set&up...", {}, false)->setVisible(false);
    addSeparator(file, "mnuFileSeparator4");
    m_fileExit = addItem(file, "mnuFileExit", "E&xit");

    QMenu* edit = addMenu(bar, "mnuEdit", "&Edit");
    m_editOfflineEditing =
        addItem(edit, "mnuEditOfflineEditing", "Enable &Offline Editing", QKeySequence(Qt::Key_F2));
    m_editOfflineEditing->setCheckable(true);
    addSeparator(edit, "mnuSettingsSeparator1");
    m_editCommPort = addItem(edit, "mnuEditCommPort", "Co&mm Port", QKeySequence("Ctrl+M"));
#ifdef QUELBY_PUBLISH
    m_editPublish = addItem(edit, "mnuEditPublish", "&Publish Live Values...");
#endif
    addSeparator(edit, "mnuSettingsSeparator2", false);
    // Hidden: nothing in the program shows it; going online enables it.
    m_editPasscode = addItem(edit, "mnuEditPasscode", "Set-up Passcode", {}, false);
    m_editPasscode->setVisible(false);

    QMenu* view = addMenu(bar, "mnuView", "&View");
    m_viewTargetBoardStatus =
        addItem(view, "mnuViewTargetBoardStatus", "&Target Board Interface");
    m_viewServiceLog = addItem(view, "mnuViewServiceLog", "Service &Log...");
    addSeparator(view, "mnuViewSep1");
    m_viewOnline = addItem(view, "mnuViewOnline", "O&nline Data", QKeySequence(Qt::Key_F3));
    m_viewOnline->setCheckable(true);
    m_viewOffline = addItem(view, "mnuViewOffline", "O&ffline Data", QKeySequence(Qt::Key_F4));
    m_viewOffline->setCheckable(true);
    m_viewOffline->setChecked(true);

    QMenu* window = addMenu(bar, "mnuWindow", "&Window");
    static const char* const kWindowCaptions[kWindowCount] = {
        "&1 Main Display",   "&2 Set-up Parameters", "&3 Serial Communications",
        "&4 Machine Timing", "&5 Shift Data",        "&6 I/O States"};
    for (int i = 0; i < kWindowCount; ++i) {
        QAction* item = addItem(window, "mnuWindowForm", kWindowCaptions[i], {},
                                windowBuilt[static_cast<std::size_t>(i)]);
        item->setCheckable(true);
        item->setData(i);
        m_windowForm[static_cast<std::size_t>(i)] = item;
    }
    m_windowForm[0]->setChecked(true);

    QMenu* help = addMenu(bar, "mnuHelp", "&Help");
    m_helpTopics = addItem(help, "mnuHelpHelpTopics", "&Help Topics", QKeySequence("Ctrl+H"));
    m_helpLinkTrace = addItem(help, "mnuHelpLinkTrace", "Link &Trace...");
    m_helpLinkTrace->setCheckable(true);
    addSeparator(help, "mnuHelpSeparator0");
    m_helpAbout = addItem(help, "mnuHelpAbout", "&About QUELBY");
}

QAction* MainMenus::windowForm(int index) const {
    if (index < 0 || index >= kWindowCount) return nullptr;
    return m_windowForm[static_cast<std::size_t>(index)];
}

void MainMenus::setPasscodeEnabled(bool enabled) {
    m_passcodeEnabled = enabled;
    m_editPasscode->setEnabled(enabled);
}

QMenu* MainMenus::addMenu(QMenuBar& bar, const char* name, const QString& caption) {
    QMenu* menu = bar.addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

QAction* MainMenus::addItem(QMenu* menu, const char* name, const QString& caption,
                            const QKeySequence& shortcut, bool enabled) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setShortcut(shortcut);
    item->setEnabled(enabled);
    return item;
}

void MainMenus::addSeparator(QMenu* menu, const char* name, bool visible) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(name);
    separator->setVisible(visible);
}

MainMenus::TransferItems MainMenus::addTransferItems(QMenu* menu, const char* name) {
    static const char* const kCaptions[kTransferItemCount] = {
        "Set-up &Parameters", "Timing &Channels", "Shift &Data", nullptr, "&All"};
    TransferItems items{};
    for (int i = 0; i < kTransferItemCount; ++i) {
        QAction* item = kCaptions[i] ? menu->addAction(kCaptions[i]) : menu->addSeparator();
        item->setObjectName(name);
        item->setData(i);
        if (kCaptions[i]) items[static_cast<std::size_t>(i)] = item;
    }
    return items;
}

QAction* MainMenus::transferItem(const TransferItems& items, int index) {
    if (index < 0 || index >= kTransferItemCount) return nullptr;
    return items[static_cast<std::size_t>(index)];
}

} // namespace quelby
