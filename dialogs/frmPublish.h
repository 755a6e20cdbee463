#pragma once

#include "app/data/PublishSettingsFile.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quelby {

class FileDialogs;
class UserPrompt;

// Edit > Publish Live Values, "Publish Live Values": whether and where the live values go to a
// plant's MQTT broker. OK checks the fields (while publishing is on, or a field is filled in)
// and stays open, with the reason told and the focus in the field, when one is refused.
class frmPublish : public QDialog {
    Q_OBJECT

public:
    frmPublish(const PublishConfig& config, FileDialogs& dialogs, UserPrompt& prompt,
               QWidget* parent = nullptr);

    // The kept password, once the store has answered; a password typed meanwhile stays.
    void showKeptPassword(const std::string& password);
    // The settings as the fields hold them.
    PublishConfig config() const;
    std::string password() const;
    // The user typed in the password field.
    bool passwordEdited() const { return m_passwordEdited; }

    // cmdOK: closes when the fields pass their check.
    void accept() override;
    // cmdBrowse: the CA file chosen through the file dialog.
    void browseCaFile();

private:
    QLineEdit* field(PublishField which) const;

    FileDialogs& m_dialogs;
    UserPrompt& m_prompt;
    bool m_passwordEdited = false;

    QCheckBox* m_chkPublish = nullptr;
    QLineEdit* m_txtBroker = nullptr;
    QLineEdit* m_txtTopic = nullptr;
    QLineEdit* m_txtUser = nullptr;
    QLineEdit* m_txtPassword = nullptr;
    QLineEdit* m_txtCaFile = nullptr;
    QSpinBox* m_spnInterval = nullptr;
    QPushButton* m_cmdBrowse = nullptr;
};

} // namespace quelby
