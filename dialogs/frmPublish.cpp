#include "dialogs/frmPublish.h"

#include "app/data/FileDialogs.h"
#include "link/UserPrompt.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quelby {
namespace {

QLineEdit* AddField(QFormLayout* form, const char* name, const QString& caption,
                    const std::string& text, const QString& placeholder = {}) {
    auto* edit = new QLineEdit(QString::fromStdString(text));
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    form->addRow(caption, edit);
    return edit;
}

std::string Text(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

} // namespace

frmPublish::frmPublish(const PublishConfig& config, FileDialogs& dialogs, UserPrompt& prompt,
                       QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_prompt(prompt) {
    setObjectName("frmPublish");
    setWindowTitle("Publish Live Values");

    m_chkPublish = new QCheckBox("&Publish the live values while online", this);
    m_chkPublish->setObjectName("chkPublish");
    m_chkPublish->setChecked(config.enabled);

    auto* form = new QFormLayout;
    m_txtBroker = AddField(form, "txtBroker", "&Broker:", config.broker, "HOST[:PORT]");
    m_txtTopic = AddField(form, "txtTopic", "&Topic prefix:", config.topicPrefix, "plant/line3");
    m_txtUser = AddField(form, "txtUser", "&User name:", config.username, "(none)");
    m_txtPassword = AddField(form, "txtPassword", "Pass&word:", {});
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_txtCaFile = new QLineEdit(QString::fromStdString(config.caFile));
    m_txtCaFile->setObjectName("txtCaFile");
    m_txtCaFile->setPlaceholderText("(none: no TLS)");
    m_cmdBrowse = new QPushButton("B&rowse...");
    m_cmdBrowse->setObjectName("cmdBrowse");
    auto* caRow = new QHBoxLayout;
    caRow->addWidget(m_txtCaFile, 1);
    caRow->addWidget(m_cmdBrowse);
    form->addRow("&CA file:", caRow);
    m_spnInterval = new QSpinBox;
    m_spnInterval->setObjectName("spnInterval");
    m_spnInterval->setRange(static_cast<int>(PublishConfig::kShortestInterval.count()),
                            static_cast<int>(PublishConfig::kLongestInterval.count()));
    m_spnInterval->setSingleStep(100);
    m_spnInterval->setSuffix(" ms");
    m_spnInterval->setValue(static_cast<int>(config.interval.count()));
    form->addRow("&Interval:", m_spnInterval);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("cmdOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cmdCancel");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_chkPublish);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_txtPassword, &QLineEdit::textEdited, this, [this] { m_passwordEdited = true; });
    connect(m_cmdBrowse, &QPushButton::clicked, this, &frmPublish::browseCaFile);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmPublish::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmPublish::reject);
}

void frmPublish::showKeptPassword(const std::string& password) {
    if (!m_passwordEdited) m_txtPassword->setText(QString::fromStdString(password));
}

PublishConfig frmPublish::config() const {
    PublishConfig config;
    config.enabled = m_chkPublish->isChecked();
    config.broker = Text(m_txtBroker);
    config.topicPrefix = Text(m_txtTopic);
    config.username = Text(m_txtUser);
    config.caFile = Text(m_txtCaFile);
    config.interval = std::chrono::milliseconds(m_spnInterval->value());
    return config;
}

std::string frmPublish::password() const {
    return m_txtPassword->text().toStdString();
}

QLineEdit* frmPublish::field(PublishField which) const {
    switch (which) {
    case PublishField::Broker:
        return m_txtBroker;
    case PublishField::TopicPrefix:
        return m_txtTopic;
    case PublishField::Username:
        return m_txtUser;
    case PublishField::Password:
        return m_txtPassword;
    case PublishField::CaFile:
        return m_txtCaFile;
    case PublishField::None:
    case PublishField::Interval:
        break;
    }
    return nullptr;
}

void frmPublish::accept() {
    const PublishConfig chosen = config();
    // Turned off and left empty: nothing to check.
    if (chosen.enabled || !chosen.broker.empty() || !chosen.topicPrefix.empty()) {
        const PublishSetup setup = MakePublishSettings(chosen, password());
        if (!setup.settings) {
            m_prompt.ask({"Publish Live Values", {setup.problem}, MessageButtons::OK,
                          MessageIcon::Exclamation});
            if (QLineEdit* edit = field(setup.field)) {
                edit->setFocus(Qt::OtherFocusReason);
                edit->selectAll();
            }
            return;
        }
    }
    QDialog::accept();
}

void frmPublish::browseCaFile() {
    const auto file = m_dialogs.openFile({"Certificate Files(*.crt;*.pem)|*.crt;*.pem|All Files(*.*)|*.*|",
                                          Text(m_txtCaFile),
                                          "CA certificate the broker's certificate is checked with"});
    if (file) m_txtCaFile->setText(QString::fromStdString(file->string()));
}

} // namespace quelby
