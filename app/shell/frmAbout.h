#pragma once

#include <QDialog>

namespace quelby {

class UserPrompt;

// Help > About QUELBY: version, title, what the program is for and where to get help; shown
// centred and not modal. System Info starts the Windows System Information program where
// there is one and says it is unavailable elsewhere.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    frmAbout(UserPrompt& prompt, QWidget* parent = nullptr);

    // "Version 2.2.4" for the running program.
    static QString VersionText();

    void startSystemInfo();

private:
    UserPrompt& m_prompt;
};

} // namespace quelby
