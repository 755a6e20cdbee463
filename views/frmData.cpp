#include "views/frmData.h"

#include "app/data/DataSet.h"
#include "app/data/TransferValues.h"
#include "link/RSComm.h"
#include "views/EntryTextBox.h"
#include "views/GroupedNumber.h"
#include "views/NumericEntryField.h"
#include "views/BoardWrite.h"
#include "views/PushHoldButton.h"
#include "views/ShellContext.h"
#include "views/SpindleBarChart.h"
#include "views/UpDownControl.h"
#include "views/ParkingButton.h"
#include "views/NamedControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace quelby {
namespace {

constexpr const char* kTripOffsetTitle = "Spindle #1 Trip Offset:";

constexpr std::array<const char*, 3> kTabCaptions{"&Trips Per Spindle", "&Current Shift",
                                                  "&Last Shift"};
constexpr std::array<const char*, 3> kPageCaptions{"Trips Per Spindle", "Current Shift",
                                                   "Last Shift"};
// The six totals of a shift, in entry order.
constexpr std::array<const char*, 6> kTotalCaptions{
    "Total Good Cans:", "Total Blow-offs:", "Bad Can Blow-offs:",
    "Manual Blow-offs:", "Q.C. Blow-offs:", "Restart Blow-offs:"};

NumericEntryOptions TripOffsetOptions() {
    NumericEntryOptions options;
    options.textName = "txtSpindleTripOffset";
    options.upDownName = "updSpindleTripOffset";
    options.title = kTripOffsetTitle;
    options.minimum = 0;
    options.maximum = kTripOffsetMax;
    options.checkFromZero = true;
    options.rememberAsWord = true;
    options.dataPoint = kTripOffsetDataPoint;
    options.boardAddress = kTripOffsetAddress;
    options.upDownEndsEdit = false;
    return options;
}

QLabel* Caption(const char* text, QWidget* parent) {
    return new QLabel(QString::fromLatin1(text), parent);
}

// The page (0..2) whose spindle list ends with entry `index`, or -1.
int PageEndingAt(int index) {
    for (int page = 0; page < 3; ++page)
        if (kShiftDataPages[static_cast<std::size_t>(page)].entries.last == index) return page;
    return -1;
}

} // namespace

frmData::frmData(ShellContext& shell, UserPrompt& prompt, QWidget* parent)
    : RefreshCycleWindow(shell, parent), m_prompt(prompt),
      m_lastOfflineEditing(shell.offlineEditing()) {
    setObjectName("frmData");
    setWindowTitle("Shift Data");
    buildControls();
    showPage(0);
    m_pageChanged = false;
}

frmData::~frmData() {
    // Let go of a held command while this window can still write its 0.
    for (HoldCommand* command : {&m_resetTrips, &m_transferData}) {
        command->button->endHold();
        disconnect(command->button, nullptr, this, nullptr);
    }
    shell().setBeforeGoingOffline({});
}

QString frmData::shown(int entry) const {
    if (entry < 0 || entry >= kShiftDataEntries) return {};
    return m_lblData[static_cast<std::size_t>(entry)]->text();
}

QString frmData::totalShown(int page) const {
    if (page < 0 || page >= 3) return {};
    return m_lblTotalTrips[static_cast<std::size_t>(page)]->text();
}

QLabel* frmData::makeValue(int entry, QWidget* parent) {
    auto* label = new QLabel("0", parent);
    label->setObjectName(QString("lblData_%1").arg(entry));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance("0,000,000,000") + 8);
    m_lblData[static_cast<std::size_t>(entry)] = label;
    return label;
}

QWidget* frmData::buildPage(int page, const char* caption) {
    auto* panel = new QWidget(this);
    panel->setObjectName(QString("fraPage_%1").arg(page));
    auto* layout = new QGridLayout(panel);
    auto* heading = Caption(caption, panel);
    heading->setObjectName(QString("lblPage_%1").arg(page));
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    layout->addWidget(heading, 0, 0, 1, 2);
    return panel;
}

QWidget* frmData::buildSpindleColumns(int firstEntry, QWidget* parent) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(QString("fraSpindles_%1").arg(firstEntry));
    auto* grid = new QGridLayout(frame);
    for (int spindle = 1; spindle <= kSpindleCount; ++spindle) {
        const int row = (spindle - 1) % 12;
        const int column = (spindle - 1) / 12 * 2;
        grid->addWidget(new QLabel(QString("Spindle #%1:").arg(spindle), frame), row, column);
        grid->addWidget(makeValue(firstEntry + spindle - 1, frame), row, column + 1);
    }
    grid->setColumnMinimumWidth(2, 0);
    grid->setHorizontalSpacing(8);
    return frame;
}

QGroupBox* frmData::buildTotals(int page, const char* name, const char* caption,
                                QWidget* parent) {
    auto* group = new QGroupBox(QString::fromLatin1(caption), parent);
    group->setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(group);
    const int first = kShiftDataPages[static_cast<std::size_t>(page)].entries.first;
    for (int row = 0; row < 6; ++row) {
        grid->addWidget(Caption(kTotalCaptions[static_cast<std::size_t>(row)], group), row, 0);
        grid->addWidget(makeValue(first + row, group), row, 1);
    }
    grid->addWidget(Caption("Total Trips:", group), 6, 0);
    auto* total = new QLabel("0", group);
    total->setObjectName(QString("lblTotalTrips_%1").arg(page));
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    total->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lblTotalTrips[static_cast<std::size_t>(page)] = total;
    grid->addWidget(total, 6, 1);
    return group;
}

void frmData::buildControls() {
    auto* layout = new QVBoxLayout(this);
    m_tbsData = TabStrip("tbsData", kTabCaptions, this);
    layout->addWidget(m_tbsData);
    auto* pages = new QGridLayout;
    layout->addLayout(pages, 1);
    for (int page = 0; page < 3; ++page) {
        m_fraPage[static_cast<std::size_t>(page)] =
            buildPage(page, kPageCaptions[static_cast<std::size_t>(page)]);
        pages->addWidget(m_fraPage[static_cast<std::size_t>(page)], 0, 0);
    }

    // Page 1: the trip offset, the last tripped spindle, the total and Reset Trips.
    QWidget* page1 = m_fraPage[0];
    m_fraSpindleTrip = new QGroupBox("Spindle Trip", page1);
    m_fraSpindleTrip->setObjectName("fraSpindleTrip");
    auto* trip = new QGridLayout(m_fraSpindleTrip);
    m_lblTripOffset = Caption("Spindle #1 Trip &Offset:", m_fraSpindleTrip);
    m_lblTripOffset->setObjectName("lblTripOffset");
    m_tripOffset = new NumericEntryField(TripOffsetOptions(), shell(), m_prompt, m_escOnce,
                                         m_fraSpindleTrip);
    m_lblTripOffset->setBuddy(m_tripOffset->textBox());
    trip->addWidget(m_lblTripOffset, 0, 0);
    trip->addWidget(m_tripOffset, 0, 1, Qt::AlignRight);
    m_lblTrippedSpindle = Caption("Tripped Spindle:", m_fraSpindleTrip);
    m_lblTrippedSpindle->setObjectName("lblTrippedSpindle");
    trip->addWidget(m_lblTrippedSpindle, 1, 0);
    trip->addWidget(makeValue(kTrippedSpindleEntry, m_fraSpindleTrip), 1, 1);
    trip->addWidget(Caption("Total Trips:", m_fraSpindleTrip), 2, 0);
    auto* total = new QLabel("0", m_fraSpindleTrip);
    total->setObjectName("lblTotalTrips_0");
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    total->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lblTotalTrips[0] = total;
    trip->addWidget(total, 2, 1);
    m_resetTrips.button = new PushHoldButton("&Reset Trips", m_fraSpindleTrip);
    m_resetTrips.button->setObjectName("cmdResetTrips");
    m_resetTrips.address = kResetTripsAddress;
    m_resetTrips.name = "Reset Trips";
    trip->addWidget(m_resetTrips.button, 3, 0, 1, 2);
    trip->setRowStretch(4, 1);
    auto* grid1 = static_cast<QGridLayout*>(page1->layout());
    grid1->addWidget(m_fraSpindleTrip, 1, 0, Qt::AlignTop);
    grid1->addWidget(buildSpindleColumns(kShiftDataPages[0].firstSpindle, page1), 1, 1);

    // Page 2: the current shift with the end-of-shift command.
    QWidget* page2 = m_fraPage[1];
    auto* column2 = new QVBoxLayout;
    column2->addWidget(buildTotals(1, "fraCurrentShift", "Current Shift", page2));
    m_fraEndOfShift = new QGroupBox("End of Shift", page2);
    m_fraEndOfShift->setObjectName("fraEndOfShift");
    m_transferData.button = new PushHoldButton("T&ransfer Data", m_fraEndOfShift);
    m_transferData.button->setObjectName("cmdTransferData");
    m_transferData.address = kTransferDataAddress;
    m_transferData.name = "Transfer Data";
    (new QVBoxLayout(m_fraEndOfShift))->addWidget(m_transferData.button);
    column2->addWidget(m_fraEndOfShift);
    column2->addStretch(1);
    auto* grid2 = static_cast<QGridLayout*>(page2->layout());
    grid2->addLayout(column2, 1, 0);
    grid2->addWidget(buildSpindleColumns(kShiftDataPages[1].firstSpindle, page2), 1, 1);

    // Page 3: the last shift.
    QWidget* page3 = m_fraPage[2];
    auto* grid3 = static_cast<QGridLayout*>(page3->layout());
    grid3->addWidget(buildTotals(2, "fraLastShift", "Last Shift", page3), 1, 0, Qt::AlignTop);
    grid3->addWidget(buildSpindleColumns(kShiftDataPages[2].firstSpindle, page3), 1, 1);

    for (int page = 0; page < 3; ++page) {
        auto* grid = static_cast<QGridLayout*>(m_fraPage[static_cast<std::size_t>(page)]->layout());
        auto* chart = new SpindleBarChart(m_fraPage[static_cast<std::size_t>(page)]);
        chart->setObjectName(QString("picTrips_%1").arg(page));
        m_picTrips[static_cast<std::size_t>(page)] = chart;
        grid->addWidget(chart, 2, 0, 1, 2);
        grid->setRowStretch(2, 1);
    }

    // Focus parking: no action of its own.
    auto* park = MakeParkingButton(this);
    m_cmdDefault = park;
    m_tripOffset->setParkingButton(park);
    setTabOrder(m_tbsData, m_tripOffset->textBox());
    setTabOrder(m_tripOffset->textBox(), m_resetTrips.button);
    setTabOrder(m_resetTrips.button, m_transferData.button);
    setTabOrder(m_transferData.button, park);

    connect(m_tbsData, &QTabBar::currentChanged, this, [this](int page) {
        if (page >= 0 && page != m_page) showPage(page);
    });
    connect(m_tbsData, &QTabBar::tabBarClicked, this, [this](int page) {
        if (page >= 0) showPage(page);
    });
    for (HoldCommand* command : {&m_resetTrips, &m_transferData}) {
        connect(command->button, &PushHoldButton::heldDown, this,
                [this, command] { holdDown(*command); });
        connect(command->button, &PushHoldButton::letGo, this,
                [this, command] { holdLetGo(*command); });
    }
}

void frmData::showPage(int page) {
    if (page < 0 || page >= 3) return;
    for (QWidget* panel : m_fraPage)
        panel->hide();
    m_fraPage[static_cast<std::size_t>(page)]->show();
    m_page = page;
    m_pageChanged = true;
    m_range = kShiftDataPages[static_cast<std::size_t>(page)].entries;
    if (m_tbsData->currentIndex() != page) m_tbsData->setCurrentIndex(page);
}

void frmData::setShown(int entry, std::int64_t value) {
    QLabel* label = m_lblData[static_cast<std::size_t>(entry)];
    const QString text = GroupedWhole(value);
    if (label->text() != text) label->setText(text);
    for (int page = 0; page < 3; ++page) {
        const int first = kShiftDataPages[static_cast<std::size_t>(page)].firstSpindle;
        if (entry >= first && entry < first + SpindleBarChart::kSpindles)
            m_picTrips[static_cast<std::size_t>(page)]->setValue(entry - first + 1, value);
    }
    // The last tripped spindle belongs to the trips since the reset and to this shift.
    if (entry == kTrippedSpindleEntry)
        for (int page : {0, 1})
            m_picTrips[static_cast<std::size_t>(page)]->setMarked(static_cast<int>(value));
}

void frmData::showTotal(int page, std::int64_t total) {
    QLabel* label = m_lblTotalTrips[static_cast<std::size_t>(page)];
    const QString text = GroupedWhole(total);
    if (label->text() != text) label->setText(text);
}

void frmData::onlinePreparation() {
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_fraSpindleTrip, m_lblTripOffset, m_tripOffset->textBox(), m_tripOffset->upDown(),
             m_lblTrippedSpindle, m_lblData[kTrippedSpindleEntry], m_resetTrips.button,
             m_fraEndOfShift, m_transferData.button})
        widget->setEnabled(true);
    m_lblData[kTrippedSpindleEntry]->setText("-");
    for (int page : {0, 1}) m_picTrips[static_cast<std::size_t>(page)]->setMarked(std::nullopt);
}

void frmData::offlinePreparation() {
    const bool editable = shell().offlineEditing();
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_fraSpindleTrip, m_lblTripOffset, m_tripOffset->textBox(), m_tripOffset->upDown()})
        widget->setEnabled(editable);
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_lblTrippedSpindle, m_lblData[kTrippedSpindleEntry], m_resetTrips.button,
             m_fraEndOfShift, m_transferData.button})
        widget->setEnabled(false);
    m_lblData[kTrippedSpindleEntry]->setText("-");
    for (int page : {0, 1}) m_picTrips[static_cast<std::size_t>(page)]->setMarked(std::nullopt);
}

QCoro::Task<bool> frmData::refreshPass(bool online) {
    finishReleases();
    if (online) co_return co_await onlineRefresh();
    co_return offlineRefresh();
}

QCoro::Task<bool> frmData::onlineRefresh() {
    QPointer<frmData> self(this);
    const IndexRange range = m_range;
    // Every value of the page came back confirmed in this refresh: only then is the total shown.
    bool pageTrusted = false;
    for (int i = range.first; i <= range.last; ++i) {
        if (!co_await yieldToEvents()) co_return false;
        finishReleases();
        if (!self) co_return false;
        RSComm& link = shell().link();
        if (!link.OnlineMode) co_return true;
        // A new page: the next pass starts on it.
        if (m_pageChanged) {
            m_pageChanged = false;
            co_return true;
        }
        if (i == range.first) pageTrusted = true;
        const RSComm::ReadResult read = link.RSReadChecked(ShiftDataAddress(i));
        if (!self) co_return false;
        if (link.CommError) co_return true;
        // A value the link could not confirm keeps the label's text and spoils the total.
        if (read.trusted) {
            m_lastRead = read.text;
            const std::int32_t value = ValueFromBoardText(read.text);
            m_values[static_cast<std::size_t>(i)] = value;
            setShown(i, value);
        } else {
            pageTrusted = false;
        }
        if (i == kTrippedSpindleEntry && !m_tripOffset->editing()) {
            const RSComm::ReadResult offset = link.RSReadChecked(kTripOffsetAddress);
            if (!self) co_return false;
            if (link.CommError) co_return true;
            if (offset.trusted && !m_tripOffset->editing())
                m_tripOffset->setText(QString::fromStdString(offset.text));
        }
        const int endingPage = PageEndingAt(i);
        if (endingPage >= 0 && pageTrusted)
            showTotal(endingPage, PageTripTotal(m_values, endingPage));
    }
    co_return true;
}

bool frmData::offlineRefresh() {
    const auto& values = shell().dataSet().CurrentData.Value;
    if (!m_tripOffset->editing()) {
        const QString offset = QString::number(PointValue(shell().dataSet().CurrentData,
                                                          kTripOffsetDataPoint));
        if (m_tripOffset->text() != offset) m_tripOffset->setText(offset);
    }
    for (int i = 1; i < kShiftDataEntries; ++i) {
        const bool offlineEditing = shell().offlineEditing();
        if (offlineEditing != m_lastOfflineEditing) {
            m_lastOfflineEditing = offlineEditing;
            clearOfflinePrepared();
            return false;
        }
        const auto index = static_cast<std::size_t>(i);
        m_values[index] = index < values.size() ? values[index] : 0;
        setShown(i, m_values[index]);
        const int endingPage = PageEndingAt(i);
        if (endingPage >= 0) showTotal(endingPage, PageTripTotal(m_values, endingPage));
    }
    return false;
}

void frmData::holdDown(HoldCommand& command) {
    command.releasePending = false;
    watchGoingOffline();
    RSComm& link = shell().link();
    if (link.CommError || link.Busy()) return;
    QPointer<frmData> self(this);
    command.held = std::make_unique<BoardChangeScope>(link, std::string(), command.name);
    WriteToBoard(shell(), m_prompt, command.address, "1");
    // A link message during the write may have taken the mouse: its release is due now.
    if (self) finishReleases();
}

void frmData::holdLetGo(HoldCommand& command) {
    command.releasePending = true;
    finishReleases();
}

void frmData::finishReleases() {
    RSComm& link = shell().link();
    QPointer<frmData> self(this);
    for (HoldCommand* command : {&m_resetTrips, &m_transferData}) {
        if (!command->releasePending || link.Busy()) continue;
        command->releasePending = false;
        WriteToBoard(shell(), m_prompt, command->address, "0", true);
        if (!self) return;
        command->held.reset();
    }
    watchGoingOffline();
}

void frmData::watchGoingOffline() {
    const bool holding = m_resetTrips.button->held() || m_transferData.button->held() ||
                         m_resetTrips.releasePending || m_transferData.releasePending;
    if (!holding) {
        shell().setBeforeGoingOffline({});
        return;
    }
    QPointer<frmData> self(this);
    shell().setBeforeGoingOffline([self] {
        if (!self) return;
        self->m_resetTrips.button->endHold();
        if (self) self->m_transferData.button->endHold();
        if (self) self->finishReleases();
    });
}

} // namespace quelby
