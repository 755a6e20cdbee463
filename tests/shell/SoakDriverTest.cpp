#include "app/shell/SoakDriver.h"
#include "link/LinkMessages.h"
#include "tests/shell/ShellRig.h"

#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

namespace quelby::test {
namespace {

long Count(const std::vector<std::string>& log, const std::string& entry) {
    return std::count(log.begin(), log.end(), entry);
}

TEST(SoakDriver, goesOnlineCyclesTheWindowsReconnectsAndAnswersMessagesWithoutActingUnderThem) {
    ShellRig rig;
    rig.window.show();
    // The steps are taken here; the driver's own timer would take them after an hour.
    SoakDriver driver(rig.window, [] { return 0L; }, {3600000, 4, 10, 3600000});
    driver.start();
    EXPECT_TRUE(rig.window.link().OnlineMode);

    // Steps 1-3 show windows 1, 2 and 3 (index 0..2), step 4 goes offline, step 5 online.
    for (int i = 0; i < 3; ++i)
        driver.step();
    EXPECT_EQ(driver.switches(), 3);
    for (const char* loaded : {"load window1", "load window2"})
        EXPECT_EQ(Count(rig.windowLog, loaded), 1) << loaded;
    driver.step();
    EXPECT_FALSE(rig.window.link().OnlineMode);
    driver.step();
    EXPECT_TRUE(rig.window.link().OnlineMode);
    EXPECT_EQ(driver.reconnects(), 1);
    EXPECT_EQ(driver.switches(), 3);

    // While a modal window is open a step does nothing (a dialog it does not answer).
    const std::size_t logBefore = rig.windowLog.size();
    QDialog dialog(&rig.window);
    long switchesWhileOpen = -1;
    std::size_t logWhileOpen = 0;
    QTimer::singleShot(0, &dialog, [&] {
        driver.step();
        switchesWhileOpen = driver.switches();
        logWhileOpen = rig.windowLog.size();
        dialog.accept();
    });
    dialog.exec();
    EXPECT_EQ(switchesWhileOpen, 3);
    EXPECT_EQ(logWhileOpen, logBefore);
    EXPECT_EQ(driver.messages(), 0);
    driver.step();
    EXPECT_EQ(driver.switches(), 4);

    // A link message is answered Retry and counted.
    int answer = -1;
    QTimer::singleShot(0, [&] {
        QMessageBox box(QMessageBox::Critical,
                        QString::fromStdString(LinkMessages::CannotCommunicate().title),
                        "Cannot Communicate with Target Board.",
                        QMessageBox::Retry | QMessageBox::Cancel, &rig.window);
        box.setDefaultButton(QMessageBox::Cancel);
        answer = box.exec();
    });
    QTRY_VERIFY_WITH_TIMEOUT(answer != -1, 10000);
    EXPECT_EQ(answer, QMessageBox::Retry);
    EXPECT_EQ(driver.messages(), 1);
    EXPECT_EQ(driver.linkFailures(), 1);

    // Another box: its default button, no link failure.
    QTimer::singleShot(0, [&] {
        answer = QMessageBox::question(&rig.window, "Set-up", "Save?",
                                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    });
    answer = -1;
    QTRY_VERIFY_WITH_TIMEOUT(answer != -1, 10000);
    EXPECT_EQ(answer, QMessageBox::No);
    EXPECT_EQ(driver.messages(), 2);
    EXPECT_EQ(driver.linkFailures(), 1);
}

} // namespace
} // namespace quelby::test
