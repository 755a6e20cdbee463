// The Machine Timing window's controls and layout.
#include "views/frmTiming.h"

#include "app/data/TimingChannels.h"
#include "app/data/TimingMessages.h"
#include "views/EntryMessages.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/UpDownControl.h"
#include "views/ParkingButton.h"
#include "views/NamedControls.h"
#include "views/TimingDiagram.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

namespace quelby {
namespace {

// A read-only value display: sunken, right-aligned, a few digits wide.
QLabel* ValueLabel(const QString& name, QWidget* parent) {
    auto* label = Label(name, "-", parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFixedWidth(label->fontMetrics().horizontalAdvance("000000") + 8);
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return label;
}

NumericEntryOptions TmgOptions(int index) {
    NumericEntryOptions options;
    options.textName = QString("txtTmg_%1").arg(index);
    options.upDownName = QString("updTmg_%1").arg(index);
    options.title = TimingMessages::kOffsetTitle;
    options.minimum = 0;
    options.maximum = index == 0 ? timing::kOffsetMax : timing::kPlsChannelFieldMax;
    options.rememberAsWord = true;
    options.hasEditingFlag = false;
    options.rewriteOnEnter = true;
    options.upDownAction = NumericEntryOptions::UpDownAction::None;
    options.upDownParksFocus = false;
    // What the field accepts is what a button acts on: a whole number, never one rounded.
    options.furtherCheck = [max = options.maximum](NumericEntryField& field) -> std::optional<MessageRequest> {
        if (timing::WholeNumberText(field.text().toStdString())) return std::nullopt;
        return RangeMessage(TimingMessages::kOffsetTitle, 0, max);
    };
    if (index == 1) {
        options.beforeCheck = [](const QString& text) {
            return QString::fromStdString(timing::PlsChannelFieldText(text.toStdString()));
        };
        options.upDownSkips = {8, 9};
    }
    return options;
}

} // namespace

frmTiming::frmTiming(ShellContext& shell, UserPrompt& prompt, QWidget* parent)
    : RefreshCycleWindow(shell, parent), m_prompt(prompt) {
    setObjectName("frmTiming");
    setWindowTitle("Machine Timing");
    buildControls();
}

NumericEntryField* frmTiming::channelField(int index) const {
    if (index < 0 || index >= kFieldCount) return nullptr;
    return m_txtChannel[static_cast<std::size_t>(index)];
}

NumericEntryField* frmTiming::tmgField(int index) const {
    if (index < 0 || index > 1) return nullptr;
    return m_txtTmg[static_cast<std::size_t>(index)];
}

QString frmTiming::panelText(int panel) const {
    if (panel < 1 || panel > 4) return {};
    return m_panel[static_cast<std::size_t>(panel - 1)]->text();
}

NumericEntryField* frmTiming::addSetpointField(int index, QWidget* parent) {
    NumericEntryOptions options;
    options.textName = QString("txtChannel_%1").arg(index);
    options.upDownName = QString("updChannel_%1").arg(index);
    options.title = TimingMessages::kSetpointTitle;
    options.minimum = 0;
    options.maximum = timing::kSetpointMax;
    options.rememberAsWord = true;
    options.hasEditingFlag = false;
    options.uncheckedText = timing::kNoSetpoint;
    options.furtherCheck = [this, index](NumericEntryField&) { return checkSetpoint(index); };
    // The window parks the focus and runs the check itself, so that it knows the number
    // the check sees came from an arrow.
    options.upDownAction = NumericEntryOptions::UpDownAction::None;
    options.upDownParksFocus = false;
    auto* field = new NumericEntryField(options, shell(), m_prompt, m_escOnce, parent);
    m_txtChannel[static_cast<std::size_t>(index)] = field;
    showSetpoint(index, timing::kNotRecalled);
    field->textBox()->installEventFilter(this);
    connect(field, &NumericEntryField::passed, this, [this, index] { programSetpoint(index); });
    connect(field, &NumericEntryField::upDownChanged, this, [this, index] { setpointStepped(index); });
    return field;
}

QWidget* frmTiming::buildChannelPage() {
    auto* page = new QWidget(this);
    page->setObjectName("fraPage_0");
    auto* layout = new QGridLayout(page);
    // Before the fields: each field shown updates its row.
    m_picTimingDiagram = new TimingDiagram(page);

    m_fraTimingChannels = Frame("fraTimingChannels", "Timing Channels", page);
    auto* table = new QGridLayout(m_fraTimingChannels);
    m_lblHeading[0] = Label("lblHeading_0", "ON", m_fraTimingChannels);
    m_lblHeading[1] = Label("lblHeading_1", "OFF", m_fraTimingChannels);
    for (QLabel* heading : m_lblHeading) heading->setAlignment(Qt::AlignCenter);
    table->addWidget(m_lblHeading[0], 0, 1);
    table->addWidget(m_lblHeading[1], 0, 2);
    for (int row = 0; row < timing::kChannelRows; ++row) {
        const auto r = static_cast<std::size_t>(row);
        auto* label = Label(QString("lblChannel_%1").arg(row),
                            QString::fromLatin1(timing::ChannelCaptions()[r]), m_fraTimingChannels);
        m_lblChannel[r] = label;
        table->addWidget(label, row + 1, 0);
        auto* on = addSetpointField(timing::FieldIndex(row, 0), m_fraTimingChannels);
        auto* off = addSetpointField(timing::FieldIndex(row, 1), m_fraTimingChannels);
        label->setBuddy(on->textBox());
        table->addWidget(on, row + 1, 1);
        table->addWidget(off, row + 1, 2);
    }
    m_lblSensorCaption = Label("lblSensorCaption", "Can/No Can Sensor ON Position:", m_fraTimingChannels);
    m_lblSensorOn = ValueLabel("lblSensorOn", m_fraTimingChannels);
    table->addWidget(m_lblSensorCaption, timing::kChannelRows + 1, 0, Qt::AlignRight);
    table->addWidget(m_lblSensorOn, timing::kChannelRows + 1, 1);
    table->setRowStretch(timing::kChannelRows + 2, 1);
    layout->addWidget(m_fraTimingChannels, 0, 0, 4, 1);

    m_fraPlsChannel = Frame("fraPlsChannel", "PLS Channel", page);
    m_txtTmg[1] = new NumericEntryField(TmgOptions(1), shell(), m_prompt, m_escOnce, m_fraPlsChannel);
    m_txtTmg[1]->setText("0");
    m_cmdRecallChannel = Button("cmdRecallChannel", "&Recall Channel", m_fraPlsChannel);
    m_cmdClearChannel = Button("cmdClearChannel", "&Clear Channel", m_fraPlsChannel);
    auto* channelLayout = new QVBoxLayout(m_fraPlsChannel);
    channelLayout->addWidget(m_txtTmg[1], 0, Qt::AlignHCenter);
    channelLayout->addWidget(m_cmdRecallChannel);
    channelLayout->addWidget(m_cmdClearChannel);
    layout->addWidget(m_fraPlsChannel, 0, 1);

    m_fraResolverOffset = Frame("fraResolverOffset", "Resolver Offset", page);
    m_txtTmg[0] = new NumericEntryField(TmgOptions(0), shell(), m_prompt, m_escOnce, m_fraResolverOffset);
    m_txtTmg[0]->setText("0");
    m_cmdSetOffset = Button("cmdSetOffset", "Set &Offset", m_fraResolverOffset);
    m_txtTmg[0]->setEnterTarget(m_cmdSetOffset);
    auto* offsetLayout = new QVBoxLayout(m_fraResolverOffset);
    offsetLayout->addWidget(m_txtTmg[0], 0, Qt::AlignHCenter);
    offsetLayout->addWidget(m_cmdSetOffset);
    layout->addWidget(m_fraResolverOffset, 1, 1);

    m_fraTestBlowoff = Frame("fraTestBlowoff", "Test Blow-off", page);
    m_cmdBadCanBlowoff = Button("cmdBadCanBlowoff", "B&ad Can Blow-off", m_fraTestBlowoff);
    m_cmdQCBlowoff = Button("cmdQCBlowoff", "&Q.C. Can Blow-off", m_fraTestBlowoff);
    auto* testLayout = new QVBoxLayout(m_fraTestBlowoff);
    testLayout->addWidget(m_cmdBadCanBlowoff);
    testLayout->addWidget(m_cmdQCBlowoff);
    layout->addWidget(m_fraTestBlowoff, 2, 1);
    layout->setRowStretch(3, 1);
    layout->addWidget(m_picTimingDiagram, 4, 0, 1, 2);
    return page;
}

QWidget* frmTiming::buildConfigurationPage() {
    auto* page = new QWidget(this);
    page->setObjectName("fraPage_1");
    auto* layout = new QGridLayout(page);

    static constexpr std::array<const char*, 10> kCaptions{
        "Number of PLS Channels:", "PLS Program:", "CH00 (msec):", "CH01 (msec):",
        "CH02 (msec):",            "CH03 (msec):", "CH04 (msec):", "CH05 (msec):",
        "CH06 (msec):",            "CH07 (msec):"};
    m_fraPlsConfig = Frame("fraPlsConfig", "PLS Configuration", page);
    m_fraSpeedComp = Frame("fraSpeedComp", "Speed Compensation", page);
    auto* configLayout = new QGridLayout(m_fraPlsConfig);
    auto* compLayout = new QGridLayout(m_fraSpeedComp);
    for (int i = 0; i < 10; ++i) {
        const auto k = static_cast<std::size_t>(i);
        QWidget* frame = i < 2 ? static_cast<QWidget*>(m_fraPlsConfig) : m_fraSpeedComp;
        m_lblPLSCfgCaption[k] = Label(QString("lblPLSCfgCaption_%1").arg(i), kCaptions[k], frame);
        m_lblPLSCfg[k] = ValueLabel(QString("lblPLSCfg_%1").arg(i), frame);
        QGridLayout* target = i < 2 ? configLayout : compLayout;
        const int row = i < 2 ? i : (i - 2) % 4;
        const int column = i < 6 ? 0 : 2;
        target->addWidget(m_lblPLSCfgCaption[k], row, column, Qt::AlignRight);
        target->addWidget(m_lblPLSCfg[k], row, column + 1);
    }
    compLayout->setColumnMinimumWidth(2, 24);
    m_cmdResetPLSConfig = Button("cmdResetPLSConfig", "&Reset PLS Config", page);
    layout->addWidget(m_fraPlsConfig, 0, 0, Qt::AlignTop);
    layout->addWidget(m_fraSpeedComp, 1, 0, Qt::AlignTop);
    layout->addWidget(m_cmdResetPLSConfig, 2, 0, Qt::AlignLeft);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(1, 1);
    return page;
}

void frmTiming::buildControls() {
    auto* layout = new QVBoxLayout(this);
    m_tbsTiming = new QTabBar(this);
    m_tbsTiming->setObjectName("tbsTiming");
    m_tbsTiming->addTab("&Timing Channels");
    m_tbsTiming->addTab("&PLS Configuration");
    m_tbsTiming->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_tbsTiming);
    m_fraPage[0] = buildChannelPage();
    m_fraPage[1] = buildConfigurationPage();
    layout->addWidget(m_fraPage[0], 1);
    layout->addWidget(m_fraPage[1], 1);
    m_fraPage[1]->hide();

    // Focus parking: no caption, no action.
    m_cmdDefault = MakeParkingButton(this);

    m_sbrMachineTiming = new QStatusBar(this);
    m_sbrMachineTiming->setObjectName("sbrMachineTiming");
    m_sbrMachineTiming->setSizeGripEnabled(false);
    m_sbrMachineTiming->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    static constexpr std::array<const char*, 4> kDesign{"RPM:", "Position:", "Offset:", "Scale:"};
    static constexpr std::array<const char*, 4> kTips{"Resolver RPM:", "Machine Position",
                                                      "Resolver Offset", "PLS Scale Factor"};
    for (std::size_t i = 0; i < m_panel.size(); ++i) {
        auto* panel = Label(QString("sbrPanel_%1").arg(i + 1), kDesign[i], m_sbrMachineTiming);
        panel->setToolTip(kTips[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_sbrMachineTiming->addWidget(panel, 1);
        m_panel[i] = panel;
    }
    layout->addWidget(m_sbrMachineTiming);

    for (NumericEntryField* field : m_txtChannel)
        if (field) field->setParkingButton(m_cmdDefault);
    for (NumericEntryField* field : m_txtTmg) field->setParkingButton(m_cmdDefault);

    connect(m_tbsTiming, &QTabBar::currentChanged, this, &frmTiming::tbsTiming_Click);
    connect(m_cmdRecallChannel, &QPushButton::clicked, this, &frmTiming::cmdRecallChannel_Click);
    connect(m_cmdClearChannel, &QPushButton::clicked, this, &frmTiming::cmdClearChannel_Click);
    connect(m_cmdSetOffset, &QPushButton::clicked, this, &frmTiming::cmdSetOffset_Click);
    connect(m_cmdResetPLSConfig, &QPushButton::clicked, this, &frmTiming::cmdResetPLSConfig_Click);
    connect(m_cmdBadCanBlowoff, &QPushButton::clicked, this, &frmTiming::cmdBadCanBlowoff_Click);
    connect(m_cmdQCBlowoff, &QPushButton::clicked, this, &frmTiming::cmdQCBlowoff_Click);
}

void frmTiming::tbsTiming_Click(int tab) {
    if (tab < 0 || tab > 1) return;
    for (QWidget* page : m_fraPage) page->hide();
    m_fraPage[static_cast<std::size_t>(tab)]->show();
}

} // namespace quelby
