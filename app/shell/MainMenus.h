#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QObject>

#include <array>

namespace quelby {

// The main window's menus with the code names as object names (mnuFileNew ...). Commands
// this build does not have yet are present and disabled; the window connects the others.
class MainMenus : public QObject {
    Q_OBJECT

public:
    static constexpr int kWindowCount = 6;
    static constexpr int kTransferItemCount = 5; // the separator at index 3 included

    // Fills `bar`; `windowBuilt[i]` enables Window menu item i.
    MainMenus(QMenuBar& bar, const std::array<bool, kWindowCount>& windowBuilt);

    QAction* fileNew() const { return m_fileNew; }
    QAction* fileOpen() const { return m_fileOpen; }
    QAction* fileSave() const { return m_fileSave; }
    QAction* fileSaveAs() const { return m_fileSaveAs; }
    QAction* fileExport() const { return m_fileExport; }
    QAction* fileCompareBoard() const { return m_fileCompareBoard; }
    QAction* fileRecordLive() const { return m_fileRecordLive; }
    QAction* fileDownloadProgram() const { return m_fileDownloadProgram; }
    // mnuFileUploadData(index) and mnuFileDownloadData(index): 0 set-up parameters, 1 timing
    // channels, 2 shift data, 4 all; nullptr for the separator (3) and outside 0..4.
    QAction* fileUploadData(int index) const { return transferItem(m_fileUploadData, index); }
    QAction* fileDownloadData(int index) const { return transferItem(m_fileDownloadData, index); }
    QAction* filePrint() const { return m_filePrint; }
    QAction* fileExit() const { return m_fileExit; }
    QAction* editOfflineEditing() const { return m_editOfflineEditing; }
    QAction* editCommPort() const { return m_editCommPort; }
    QAction* editPasscode() const { return m_editPasscode; }
    // Edit > Publish Live Values; nullptr in a build without the MQTT publisher.
    QAction* editPublish() const { return m_editPublish; }
    // mnuEditPasscode's enabled state. Qt reports a hidden action as disabled whatever it was
    // set to, so the state the online status gives it is kept here.
    void setPasscodeEnabled(bool enabled);
    bool passcodeEnabled() const { return m_passcodeEnabled; }
    QAction* viewTargetBoardStatus() const { return m_viewTargetBoardStatus; }
    QAction* viewServiceLog() const { return m_viewServiceLog; }
    QAction* viewOnline() const { return m_viewOnline; }
    QAction* viewOffline() const { return m_viewOffline; }
    QAction* helpTopics() const { return m_helpTopics; }
    QAction* helpAbout() const { return m_helpAbout; }
    // Checked while a link trace is being written.
    QAction* helpLinkTrace() const { return m_helpLinkTrace; }
    // mnuWindowForm(index); nullptr outside 0..5.
    QAction* windowForm(int index) const;

private:
    QMenu* addMenu(QMenuBar& bar, const char* name, const QString& caption);
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut = {}, bool enabled = true);
    void addSeparator(QMenu* menu, const char* name, bool visible = true);
    using TransferItems = std::array<QAction*, kTransferItemCount>;
    // The five items of the Upload and Download submenus, the separator at index 3.
    static TransferItems addTransferItems(QMenu* menu, const char* name);
    static QAction* transferItem(const TransferItems& items, int index);

    QAction* m_fileNew = nullptr;
    QAction* m_fileOpen = nullptr;
    QAction* m_fileSave = nullptr;
    QAction* m_fileSaveAs = nullptr;
    QAction* m_fileExport = nullptr;
    QAction* m_fileCompareBoard = nullptr;
    QAction* m_fileRecordLive = nullptr;
    QAction* m_fileDownloadProgram = nullptr;
    TransferItems m_fileUploadData{};
    TransferItems m_fileDownloadData{};
    QAction* m_filePrint = nullptr;
    QAction* m_fileExit = nullptr;
    QAction* m_editOfflineEditing = nullptr;
    QAction* m_editCommPort = nullptr;
    QAction* m_editPasscode = nullptr;
    QAction* m_editPublish = nullptr;
    QAction* m_viewTargetBoardStatus = nullptr;
    QAction* m_viewServiceLog = nullptr;
    QAction* m_viewOnline = nullptr;
    QAction* m_viewOffline = nullptr;
    QAction* m_helpTopics = nullptr;
    QAction* m_helpAbout = nullptr;
    QAction* m_helpLinkTrace = nullptr;
    std::array<QAction*, kWindowCount> m_windowForm{};
    bool m_passcodeEnabled = false;
};

} // namespace quelby
