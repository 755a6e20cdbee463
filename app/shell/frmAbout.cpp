#include "app/shell/frmAbout.h"

#include "app/shell/AppIcon.h"
#include "dialogs/CentreWindow.h"
#include "app/shell/ShellMessages.h"
#include "link/ProgramVersion.h"
#include "link/UserPrompt.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace quelby {

namespace {

constexpr int kIconSize = 64;

QLabel* AddLabel(QVBoxLayout* layout, QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    layout->addWidget(label);
    return label;
}

// The Windows System Information program as its registry entries name it; empty elsewhere
// or when neither entry leads to a program.
QString SystemInfoProgram() {
#ifdef Q_OS_WIN
    QSettings tools(R"(HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSINFO)",
                    QSettings::NativeFormat);
    const QString path = tools.value("PATH").toString();
    if (!path.isEmpty()) return path;
    QSettings location(R"(HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools Location)",
                       QSettings::NativeFormat);
    const QString folder = location.value("MSINFO").toString();
    if (!folder.isEmpty() && QFileInfo::exists(folder + R"(\MSINFO32.EXE)"))
        return folder + R"(\MSINFO32.EXE)";
#endif
    return {};
}

} // namespace

QString frmAbout::VersionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionPatch);
}

frmAbout::frmAbout(UserPrompt& prompt, QWidget* parent) : QDialog(parent), m_prompt(prompt) {
    setObjectName("frmAbout");
    setWindowTitle("About QUELBY");
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    if (const QIcon icon = AppIcon(); !icon.isNull()) {
        setWindowIcon(icon);
        auto* picture = new QLabel(this);
        picture->setObjectName("picIcon");
        picture->setPixmap(icon.pixmap(kIconSize, kIconSize));
        layout->addWidget(picture, 0, Qt::AlignHCenter);
    }
    QLabel* title = AddLabel(layout, this, "lblTitle", "QUELBY");
    title->setAlignment(Qt::AlignHCenter);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    AddLabel(layout, this, "lblVersion", VersionText());
    AddLabel(layout, this, "lblDescription",
             "Set-up and service utility for the K650 target board of a can-printing line: "
             "live machine data, set-up parameters and PLS timing channels, data set "
             "upload, download and set-up files, shift data export and reports, board "
             "programs and diagnostics over one RS-232 link.");
    AddLabel(layout, this, "lblDisclaimer",
             "Technical support: see Help > Help Topics for going online, the status bar and "
             "the command-line tools. Report a problem to your line's control systems "
             "engineer with the version above and the status bar's message.");

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    QPushButton* systemInfo = buttons->addButton("&System Info...", QDialogButtonBox::ActionRole);
    systemInfo->setObjectName("cmdSysInfo");
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &frmAbout::accept);
    connect(systemInfo, &QPushButton::clicked, this, &frmAbout::startSystemInfo);

    setMinimumWidth(420);
    adjustSize();
    CentreWindow(*this);
}

void frmAbout::startSystemInfo() {
    const QString program = SystemInfoProgram();
    if (program.isEmpty() || !QProcess::startDetached(program, {}))
        m_prompt.ask(ShellMessages::SystemInfoUnavailable());
}

} // namespace quelby
