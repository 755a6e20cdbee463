#include "dialogs/frmServiceLog.h"

#include "app/data/FileDialogs.h"
#include "link/FilePaths.h"
#include "link/UserPrompt.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace quelby {

namespace {
enum Column { Time, User, Program, Source, Address, Item, Before, Asked, Confirmed, Detail,
              kColumnCount };
constexpr int kMaxColumnWidth = 320;
// A damaged file can hold one line of megabytes; a cell shows its start.
constexpr qsizetype kMaxRawShown = 2000;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString ConfirmedText(const ServiceEvent& event) {
    if (event.confirmed) return QStringLiteral("yes");
    if (event.count > 1) return QStringLiteral("%1 of %2").arg(event.confirmedCount).arg(event.count);
    return QStringLiteral("no");
}

QString Counted(qsizetype count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// A bare date of a date field as the log's filter takes it: local time, the whole day.
std::optional<std::chrono::system_clock::time_point> DayBound(const QDate& date, bool endOfDay) {
    return ParseUserTime(date.toString(QStringLiteral("yyyy-MM-dd")).toStdString(), endOfDay);
}
} // namespace

// The entries shown, newest first; an unreadable line is one text across the event columns
// with its raw text under Detail.
class ServiceLogModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void show(const std::vector<ServiceLogEntry>& entries, std::vector<std::size_t> shown) {
        beginResetModel();
        m_entries = &entries;
        m_shown = std::move(shown);
        endResetModel();
    }
    const ServiceLogEntry& entry(int row) const {
        return (*m_entries)[m_shown[static_cast<std::size_t>(row)]];
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : kColumnCount;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const char* const kTitles[kColumnCount] = {
            "Time", "User", "Program", "Source", "Address", "Item", "Before", "Asked For",
            "Confirmed", "Detail"};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= kColumnCount)
            return {};
        return QString::fromLatin1(kTitles[section]);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const ServiceLogEntry& line = entry(index.row());
        if (!line.event) {
            if (role == Qt::ForegroundRole)
                return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
            if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
            if (index.column() == Time)
                return QStringLiteral("unreadable line %1 of %2")
                    .arg(line.lineNumber)
                    .arg(QString::fromStdString(line.file.filename().string()));
            if (index.column() == Detail) {
                const QString raw = Text(line.rawLine);
                return raw.size() > kMaxRawShown ? raw.left(kMaxRawShown) + QChar(0x2026) : raw;
            }
            return {};
        }
        if (role != Qt::DisplayRole && !(role == Qt::ToolTipRole && index.column() == Detail))
            return {};
        const ServiceEvent& event = *line.event;
        switch (index.column()) {
        case Time: {
            QString time = Text(event.time);
            if (time.size() > 10 && time[10] == u'T') time[10] = u' ';
            return time;
        }
        case User: return Text(event.user);
        case Program: return Text(event.program);
        case Source: return Text(event.source);
        case Address: return Text(event.address);
        case Item: return Text(event.item);
        case Before: return Text(event.before);
        case Asked: return Text(event.asked);
        case Confirmed: return ConfirmedText(event);
        case Detail: return Text(event.detail);
        default: return {};
        }
    }

private:
    const std::vector<ServiceLogEntry>* m_entries = nullptr;
    std::vector<std::size_t> m_shown;
};

frmServiceLog::frmServiceLog(std::filesystem::path home, FileDialogs& dialogs, UserPrompt& prompt,
                             QWidget* parent)
    : QDialog(parent), m_home(std::move(home)), m_dialogs(dialogs), m_prompt(prompt) {
    setObjectName("frmServiceLog");
    setWindowTitle("Service Log");

    m_chkFrom = new QCheckBox("&From", this);
    m_chkFrom->setObjectName("chkFrom");
    m_chkTo = new QCheckBox("&To", this);
    m_chkTo->setObjectName("chkTo");
    m_dtpFrom = new QDateEdit(QDate::currentDate(), this);
    m_dtpFrom->setObjectName("dtpFrom");
    m_dtpTo = new QDateEdit(QDate::currentDate(), this);
    m_dtpTo->setObjectName("dtpTo");
    for (QDateEdit* date : {m_dtpFrom, m_dtpTo}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setEnabled(false);
        connect(date, &QDateEdit::dateChanged, this, &frmServiceLog::showRows);
    }
    // Unticked, a date field leaves that end of the log open.
    connect(m_chkFrom, &QCheckBox::toggled, m_dtpFrom, &QWidget::setEnabled);
    connect(m_chkTo, &QCheckBox::toggled, m_dtpTo, &QWidget::setEnabled);
    connect(m_chkFrom, &QCheckBox::toggled, this, &frmServiceLog::showRows);
    connect(m_chkTo, &QCheckBox::toggled, this, &frmServiceLog::showRows);
    m_txtFilter = new QLineEdit(this);
    m_txtFilter->setObjectName("txtFilter");
    m_txtFilter->setPlaceholderText("any text of an event");
    m_txtFilter->setClearButtonEnabled(true);
    connect(m_txtFilter, &QLineEdit::textChanged, this, &frmServiceLog::showRows);
    auto* filterLabel = new QLabel("F&ind:", this);
    filterLabel->setBuddy(m_txtFilter);

    m_model = new ServiceLogModel(this);
    m_grdEvents = new QTableView(this);
    m_grdEvents->setObjectName("grdEvents");
    m_grdEvents->setModel(m_model);
    m_grdEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdEvents->setWordWrap(false);
    m_grdEvents->verticalHeader()->hide();
    m_grdEvents->horizontalHeader()->setStretchLastSection(true);
    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName("lblStatus");
    m_lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* exportButton = new QPushButton("&Export to CSV...", this);
    exportButton->setObjectName("cmdExport");
    connect(exportButton, &QPushButton::clicked, this, &frmServiceLog::exportCsv);
    auto* refreshButton = new QPushButton("&Refresh", this);
    refreshButton->setObjectName("cmdRefresh");
    connect(refreshButton, &QPushButton::clicked, this, &frmServiceLog::refresh);
    auto* close = new QPushButton("&Close", this);
    close->setObjectName("cmdClose");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &frmServiceLog::accept);

    auto* filters = new QHBoxLayout;
    filters->addWidget(m_chkFrom);
    filters->addWidget(m_dtpFrom);
    filters->addWidget(m_chkTo);
    filters->addWidget(m_dtpTo);
    filters->addSpacing(12);
    filters->addWidget(filterLabel);
    filters->addWidget(m_txtFilter, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportButton);
    buttons->addWidget(refreshButton);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_grdEvents, 1);
    layout->addWidget(m_lblStatus);
    layout->addLayout(buttons);
    resize(980, 520);
    refresh();
}

frmServiceLog::~frmServiceLog() = default;

void frmServiceLog::refresh() {
    // The model points into the entries: it lets go of them before they are replaced.
    m_model->show(m_contents.entries, {});
    m_contents = ReadServiceLog(ServiceLogFile(m_home));
    // The date fields that are not in use offer the log's first and last day.
    std::vector<QDate> days;
    for (const ServiceLogEntry& entry : m_contents.entries)
        if (entry.event)
            if (QDate day = QDate::fromString(Text(entry.event->time.substr(0, 10)), Qt::ISODate);
                day.isValid())
                days.push_back(day);
    if (!days.empty()) {
        const QSignalBlocker fromBlocked(m_dtpFrom);
        const QSignalBlocker toBlocked(m_dtpTo);
        if (!m_chkFrom->isChecked()) m_dtpFrom->setDate(*std::min_element(days.begin(), days.end()));
        if (!m_chkTo->isChecked()) m_dtpTo->setDate(*std::max_element(days.begin(), days.end()));
    }
    showRows();
    m_grdEvents->resizeColumnsToContents();
    for (int column = 0; column < kColumnCount; ++column)
        if (m_grdEvents->columnWidth(column) > kMaxColumnWidth)
            m_grdEvents->setColumnWidth(column, kMaxColumnWidth);
}

ServiceLogFilter frmServiceLog::filter() const {
    ServiceLogFilter filter;
    if (m_chkFrom->isChecked()) filter.since = DayBound(m_dtpFrom->date(), false);
    if (m_chkTo->isChecked()) filter.until = DayBound(m_dtpTo->date(), true);
    filter.text = m_txtFilter->text().toStdString();
    return filter;
}

void frmServiceLog::showRows() {
    const ServiceLogFilter shownBy = filter();
    std::vector<std::size_t> shown;
    qsizetype events = 0;
    qsizetype eventsShown = 0;
    for (std::size_t i = m_contents.entries.size(); i-- > 0;) {
        const ServiceLogEntry& entry = m_contents.entries[i];
        events += entry.event.has_value();
        if (!ServiceLogMatches(entry, shownBy)) continue;
        shown.push_back(i);
        eventsShown += entry.event.has_value();
    }
    m_model->show(m_contents.entries, std::move(shown));
    m_grdEvents->clearSpans();
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (!m_model->entry(row).event) m_grdEvents->setSpan(row, Time, 1, Detail - Time);

    QString status = QStringLiteral("%1 shown of %2; %3")
                         .arg(Counted(eventsShown, "event", "events"))
                         .arg(events)
                         .arg(Counted(m_contents.unreadable, "unreadable line", "unreadable lines"));
    if (!m_contents.problem.empty()) status += QStringLiteral("\n") + Text(m_contents.problem);
    m_lblStatus->setText(status);
}

void frmServiceLog::exportCsv() {
    const std::optional<std::filesystem::path> file = m_dialogs.saveFile(
        {"CSV Files(*.csv)|*.csv|", "service-log.csv", "Export the service log shown"});
    if (!file) return;
    std::string csv = ServiceLogCsvHeader();
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (const auto& event = m_model->entry(row).event) csv += ServiceLogCsvRow(*event);
    std::error_code error;
    if (!WriteFileAtomically(*file, csv, error))
        m_prompt.ask({"Service Log",
                      {"The service log could not be exported to " + file->string() + ":",
                       error.message()},
                      MessageButtons::OK,
                      MessageIcon::Exclamation});
}

} // namespace quelby
