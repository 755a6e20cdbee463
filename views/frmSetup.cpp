#include "views/frmSetup.h"

#include "app/data/DataSet.h"
#include "link/BoardChangeLog.h"
#include "link/RSComm.h"
#include "views/BoardWrite.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/ShellContext.h"
#include "views/UpDownControl.h"
#include "views/ParkingButton.h"
#include "views/NamedControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace quelby {
namespace {

constexpr const char* kEntryTitle = "Set-up";
constexpr const char* kBadCanTestAddress = "F830";

// Captions of the fields laid out one per row (pages 1 and 2); page 3 is a grid.
constexpr std::array<const char*, 13> kFieldCaptions{
    "&Retract (out) Response Time (msec):",
    "&Extend (in) Response Time (msec):",
    "Re&tract (out) Response Time (msec):",
    "E&xtend (in) Response Time (msec):",
    "&Number of Shifts to Varnish Unit:",
    "&Number of Pins to Pin Chain Blow-off Port:",
    "Number of Cans from Infeed to Can PRX:",
    "N&umber of Can to Blow-off for Each Mis-load:",
    "Numb&er of Cans to Blow-off at Infeed Open:",
    "Numbe&r of Cans to Blow-off from Print at Restart:",
    "Number of Cans to Blow-off from Varn&ish at Restart:",
    "Q.C. Can Blow-off Port Shift &Offset:",
    "Number of Se&gments on Blanket Wheel:",
};

constexpr std::array<const char*, 3> kTabCaptions{
    "&Print Carriage/Varnish Unit", "&Blow-off Parameters", "B&low-off Solenoids"};
constexpr std::array<const char*, 3> kPageCaptions{
    "Set Print/Varnish Response Times", "Set Blow-off Parameters",
    "Set Blow-off Solenoid Response Times"};

} // namespace

frmSetup::frmSetup(ShellContext& shell, UserPrompt& prompt, QWidget* parent)
    : RefreshCycleWindow(shell, parent), m_prompt(prompt),
      m_lastOfflineEditing(shell.offlineEditing()) {
    setObjectName("frmSetup");
    setWindowTitle("Set-Up");
    buildControls();
    showPage(0);
    m_pageChanged = false;
}

NumericEntryField* frmSetup::field(int index) const {
    if (index < 0 || index >= kSetupFieldCount) return nullptr;
    return m_fields[static_cast<std::size_t>(index)];
}

NumericEntryField* frmSetup::makeField(int index, QWidget* parent) {
    const SetupParameter& parameter = kSetupParameters[static_cast<std::size_t>(index)];
    NumericEntryOptions options;
    options.textName = QString("txtSetup_%1").arg(index);
    options.upDownName = QString("updSetup_%1").arg(index);
    options.title = kEntryTitle;
    options.minimum = parameter.minimum;
    options.maximum = parameter.maximum;
    options.initialValue = parameter.minimum;
    options.dataPoint = kSetupFirstDataPoint + index;
    options.boardAddress = parameter.address;
    auto* entry = new NumericEntryField(options, shell(), m_prompt, m_escOnce, parent);
    m_fields[static_cast<std::size_t>(index)] = entry;
    return entry;
}

QLabel* frmSetup::makeLabel(int index, const char* caption, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString("lblSetup_%1").arg(index));
    m_labels.push_back(label);
    return label;
}

QWidget* frmSetup::buildPage(int page, const char* caption) {
    auto* panel = new QWidget(this);
    panel->setObjectName(QString("fraPage_%1").arg(page));
    auto* layout = new QVBoxLayout(panel);
    auto* heading = new QLabel(QString::fromLatin1(caption), panel);
    heading->setObjectName(QString("lblPage_%1").arg(page));
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    layout->addWidget(heading);
    return panel;
}

void frmSetup::buildControls() {
    auto* layout = new QVBoxLayout(this);
    m_tbsSetup = TabStrip("tbsSetup", kTabCaptions, this);
    layout->addWidget(m_tbsSetup);

    auto* pages = new QGridLayout;
    layout->addLayout(pages, 1);
    for (int page = 0; page < 3; ++page) {
        QWidget* panel = buildPage(page, kPageCaptions[static_cast<std::size_t>(page)]);
        m_fraPage[static_cast<std::size_t>(page)] = panel;
        pages->addWidget(panel, 0, 0);
    }

    // A group of fields one per row, label on the left, field on the right.
    const auto rowGroup = [this](QWidget* panel, const char* name, const char* caption,
                                 int first, int last) {
        auto* group = Frame(QString::fromLatin1(name), caption, panel);
        auto* grid = new QGridLayout(group);
        for (int i = first; i <= last; ++i) {
            QLabel* label = makeLabel(i, kFieldCaptions[static_cast<std::size_t>(i)], group);
            NumericEntryField* entry = makeField(i, group);
            label->setBuddy(entry->textBox());
            grid->addWidget(label, i - first, 0);
            grid->addWidget(entry, i - first, 1);
        }
        grid->setColumnStretch(0, 1);
        m_editGroups.push_back(group);
        static_cast<QVBoxLayout*>(panel->layout())->addWidget(group);
    };

    // Page 1: print carriage and varnish unit, with the bad-can test.
    QWidget* page1 = m_fraPage[0];
    rowGroup(page1, "fraPrintCarriage", "Print Carriage", 0, 1);
    rowGroup(page1, "fraVarnishUnit", "Varnish Unit", 2, 4);
    m_fraTestBlowoff[0] = Frame("fraTestBlowoff_0", "Test Blow-off", page1);
    m_cmdBadCanTest[0] = Button("cmdBadCanTest_0", "B&ad Can Blow-off", m_fraTestBlowoff[0]);
    (new QHBoxLayout(m_fraTestBlowoff[0]))->addWidget(m_cmdBadCanTest[0]);
    static_cast<QVBoxLayout*>(page1->layout())->addWidget(m_fraTestBlowoff[0]);

    // Page 2: the test blow-offs above the blow-off set-up.
    QWidget* page2 = m_fraPage[1];
    m_fraTestBlowoff[1] = Frame("fraTestBlowoff_1", "Test Blow-off", page2);
    m_cmdBadCanTest[1] = Button("cmdBadCanTest_1", "B&ad Can Blow-off", m_fraTestBlowoff[1]);
    m_cmdQCTest = Button("cmdQCTest", "&Q.C. Can Blow-off", m_fraTestBlowoff[1]);
    auto* tests = new QHBoxLayout(m_fraTestBlowoff[1]);
    tests->addWidget(m_cmdBadCanTest[1]);
    tests->addWidget(m_cmdQCTest);
    static_cast<QVBoxLayout*>(page2->layout())->addWidget(m_fraTestBlowoff[1]);
    rowGroup(page2, "fraBlowoffSetup", "Blow-off Set-up", 5, 12);

    // Page 3: the solenoid times as a 2 x 2 grid, rows bad can and Q.C., columns ON and OFF.
    QWidget* page3 = m_fraPage[2];
    auto* solenoids = Frame("fraSolenoidTimes", "Solenoid Response Times", page3);
    auto* grid = new QGridLayout(solenoids);
    QLabel* onHeading = makeLabel(17, "ON (msec)", solenoids);
    QLabel* offHeading = makeLabel(18, "OFF (msec)", solenoids);
    onHeading->setObjectName("lblSolenoidOn");
    offHeading->setObjectName("lblSolenoidOff");
    grid->addWidget(onHeading, 0, 1, Qt::AlignHCenter);
    grid->addWidget(offHeading, 0, 2, Qt::AlignHCenter);
    const std::array<const char*, 2> rows{"Bad &Can Blow-off Solenoid:", "Q.C. Blow-off So&lenoid:"};
    for (int row = 0; row < 2; ++row) {
        const int first = 13 + 2 * row;
        QLabel* label = makeLabel(first, rows[static_cast<std::size_t>(row)], solenoids);
        grid->addWidget(label, row + 1, 0);
        for (int column = 0; column < 2; ++column)
            grid->addWidget(makeField(first + column, solenoids), row + 1, column + 1);
        label->setBuddy(field(first)->textBox());
    }
    grid->setColumnStretch(0, 1);
    m_editGroups.push_back(solenoids);
    static_cast<QVBoxLayout*>(page3->layout())->addWidget(solenoids);

    for (QWidget* panel : m_fraPage)
        static_cast<QVBoxLayout*>(panel->layout())->addStretch(1);

    // Focus parking: no action of its own.
    m_cmdDefault = MakeParkingButton(this);

    QWidget* previous = m_tbsSetup;
    for (NumericEntryField* entry : m_fields) {
        entry->setParkingButton(m_cmdDefault);
        setTabOrder(previous, entry->textBox());
        previous = entry->textBox();
    }
    for (QWidget* next : {static_cast<QWidget*>(m_cmdBadCanTest[0]),
                          static_cast<QWidget*>(m_cmdBadCanTest[1]),
                          static_cast<QWidget*>(m_cmdQCTest), static_cast<QWidget*>(m_cmdDefault)}) {
        setTabOrder(previous, next);
        previous = next;
    }

    connect(m_tbsSetup, &QTabBar::tabBarClicked, this, [this](int page) {
        if (page >= 0) showPage(page);
    });
    connect(m_tbsSetup, &QTabBar::currentChanged, this, [this](int page) {
        if (page >= 0 && page != m_page) showPage(page);
    });
    for (int i = 0; i < 2; ++i)
        connect(m_cmdBadCanTest[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { cmdBadCanTest_Click(i); });
    connect(m_cmdQCTest, &QPushButton::clicked, this, &frmSetup::cmdQCTest_Click);
}

void frmSetup::showPage(int page) {
    if (page < 0 || page >= 3) return;
    for (QWidget* panel : m_fraPage)
        panel->hide();
    m_fraPage[static_cast<std::size_t>(page)]->show();
    m_page = page;
    m_pageChanged = true;
    m_range = kSetupPages[static_cast<std::size_t>(page)];
    if (m_tbsSetup->currentIndex() != page) m_tbsSetup->setCurrentIndex(page);
}

void frmSetup::setEditorsEnabled(bool enabled) {
    for (QGroupBox* group : m_editGroups)
        group->setEnabled(enabled);
    for (QLabel* label : m_labels)
        label->setEnabled(enabled);
    for (NumericEntryField* entry : m_fields) {
        entry->textBox()->setEnabled(enabled);
        entry->upDown()->setEnabled(enabled);
    }
}

void frmSetup::setTestsEnabled(bool enabled) {
    for (QGroupBox* group : m_fraTestBlowoff)
        group->setEnabled(enabled);
    for (QPushButton* button : m_cmdBadCanTest)
        button->setEnabled(enabled);
    m_cmdQCTest->setEnabled(enabled);
}

void frmSetup::onlinePreparation() {
    setEditorsEnabled(true);
    setTestsEnabled(true);
}

void frmSetup::offlinePreparation() {
    setTestsEnabled(false);
    setEditorsEnabled(shell().offlineEditing());
}

QCoro::Task<bool> frmSetup::refreshPass(bool online) {
    if (online) co_return co_await onlineRefresh();
    co_return co_await offlineRefresh();
}

QCoro::Task<bool> frmSetup::onlineRefresh() {
    QPointer<frmSetup> self(this);
    const IndexRange range = m_range;
    for (int i = range.first; i <= range.last; ++i) {
        if (!co_await yieldToEvents()) co_return false;
        RSComm& link = shell().link();
        if (!link.OnlineMode) co_return true;
        // A new page: the next pass starts on it.
        if (m_pageChanged) {
            m_pageChanged = false;
            co_return true;
        }
        const RSComm::ReadResult read =
            link.RSReadChecked(kSetupParameters[static_cast<std::size_t>(i)].address);
        if (!self) co_return false;
        if (link.CommError) co_return true;
        // A value the link could not confirm is no value: the field keeps its text.
        if (!read.trusted) continue;
        m_lastRead = read.text;
        showUnlessEditing(i, QString::fromStdString(read.text));
    }
    co_return true;
}

QCoro::Task<bool> frmSetup::offlineRefresh() {
    const bool offlineEditing = shell().offlineEditing();
    if (offlineEditing != m_lastOfflineEditing) {
        m_lastOfflineEditing = offlineEditing;
        clearOfflinePrepared();
    }
    for (int i = 0; i < kSetupFieldCount; ++i) {
        if (!co_await yieldToEvents()) co_return false;
        if (shell().link().OnlineMode) co_return true;
        showUnlessEditing(i, QString::number(PointValue(shell().dataSet().CurrentData,
                                                         kSetupFirstDataPoint + i)));
    }
    co_return false;
}

void frmSetup::showUnlessEditing(int index, const QString& text) {
    NumericEntryField* entry = m_fields[static_cast<std::size_t>(index)];
    if (!entry->editing() && entry->text() != text) entry->setText(text);
}

void frmSetup::cmdBadCanTest_Click(int index) {
    (void)index; // both buttons do the same
    BoardChangeScope changes(shell().link(), {}, "Bad Can Test");
    if (!shell().link().CommError) WriteToBoard(shell(), m_prompt, kBadCanTestAddress, "1");
}

void frmSetup::cmdQCTest_Click() {
    RSComm& link = shell().link();
    QPointer<frmSetup> self(this);
    BoardChangeScope changes(link, {}, "Q.C. Test");
    for (const char* address : {"B2088", "F825", "F102"}) {
        if (!self || link.CommError) return;
        // A step the board did not confirm ends the command: the blow-off is not fired.
        if (!WriteToBoard(shell(), m_prompt, address, "1")) return;
    }
}

} // namespace quelby
