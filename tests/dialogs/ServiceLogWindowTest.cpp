#include "app/data/ServiceLog.h"
#include "dialogs/frmServiceLog.h"
#include "tests/support/ScriptedFileDialogs.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempFolder.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

ServiceEvent EventAt(const char* localTime, const char* item, int count, int confirmedCount) {
    ServiceEvent event;
    event.time = IsoLocalTime(*ParseUserTime(localTime, false));
    event.user = "service";
    event.program = "QUELBY";
    event.source = count > 1 ? "Download All" : "Set-up window";
    event.address = count > 1 ? "" : "B1017";
    event.item = item;
    event.before = "3";
    event.asked = "4";
    event.count = count;
    event.confirmedCount = confirmedCount;
    event.confirmed = confirmedCount == count;
    return event;
}

TEST(ServiceLogWindow, ShowsNewestFirstNarrowsByTextAndDateAndExportsWhatItShows) {
    TempFolder home;
    const ServiceEvent older = EventAt("2026-03-02 10:00", "Number of Shifts to Varnish Unit", 1, 1);
    const ServiceEvent newer = EventAt("2026-03-05 16:30", "Data set", 1000, 997);
    const std::filesystem::path log = home.write("Support/ServiceLog.jsonl",
               ServiceEventJson(older) + "\n{\"time\": broken\n" + ServiceEventJson(newer) + "\n");
    ScriptedFileDialogs dialogs;
    ScriptedPrompt prompt;
    frmServiceLog window(home.path(), dialogs, prompt);
    EXPECT_EQ(window.windowTitle(), "Service Log");
    auto* grid = window.findChild<QTableView*>("grdEvents");
    auto* status = window.findChild<QLabel*>("lblStatus");
    ASSERT_TRUE(grid && status);
    const QAbstractItemModel& rows = *grid->model();
    const auto cell = [&](int row, int column) { return rows.index(row, column).data().toString(); };

    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.headerData(7, Qt::Horizontal).toString(), "Asked For");
    EXPECT_TRUE(cell(0, 0).startsWith("2026-03-05 16:30:00")) << cell(0, 0).toStdString();
    EXPECT_EQ(cell(0, 8), "997 of 1000");
    EXPECT_EQ(cell(1, 0), "unreadable line 2 of ServiceLog.jsonl");
    EXPECT_EQ(cell(1, 9), "{\"time\": broken");
    EXPECT_EQ(cell(2, 5), "Number of Shifts to Varnish Unit");
    EXPECT_EQ(cell(2, 8), "yes");
    EXPECT_EQ(status->text(), "2 events shown of 2; 1 unreadable line");

    window.findChild<QLineEdit*>("txtFilter")->setText("varnish");
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(cell(0, 5), "Number of Shifts to Varnish Unit");
    EXPECT_EQ(status->text(), "1 event shown of 2; 1 unreadable line");

    window.findChild<QLineEdit*>("txtFilter")->clear();
    window.findChild<QDateEdit*>("dtpFrom")->setDate(QDate(2026, 3, 3));
    EXPECT_EQ(rows.rowCount(), 3) << "an unticked date leaves the log whole";
    window.findChild<QCheckBox*>("chkFrom")->setChecked(true);
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(cell(0, 5), "Data set");

    const std::filesystem::path csv = home.path() / "shown.csv";
    dialogs.answerNext(csv);
    window.findChild<QPushButton*>("cmdExport")->click();
    EXPECT_EQ(ReadWholeFile(csv), ServiceLogCsvHeader() + ServiceLogCsvRow(newer));
    EXPECT_TRUE(prompt.requests().empty());

    const std::filesystem::path nowhere = home.path() / "no-folder" / "shown.csv";
    dialogs.answerNext(nowhere);
    window.findChild<QPushButton*>("cmdExport")->click();
    ASSERT_EQ(prompt.requests().size(), 1u);
    EXPECT_NE(prompt.requests()[0].text().find(nowhere.string()), std::string::npos);

    // Refresh reads the log again; one that cannot be read says why under the table.
    std::filesystem::remove(log);
    std::filesystem::create_directory(log);
    window.findChild<QPushButton*>("cmdRefresh")->click();
    EXPECT_EQ(rows.rowCount(), 0);
    EXPECT_TRUE(status->text().contains("cannot be read")) << status->text().toStdString();
}

} // namespace
} // namespace quelby::test
