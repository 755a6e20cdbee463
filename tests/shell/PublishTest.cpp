// Edit > Publish Live Values: the Main Display's passes on a broker of the test's own, the
// status bar's word on the broker, and the settings dialog with its files.
#include "app/shell/LivePublishing.h"
#include "app/shell/StatusPoll.h"
#include "dialogs/frmPublish.h"
#include "link/BoardAddress.h"
#include "tests/shell/ShellRig.h"
#include "tests/support/MosquittoBroker.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <map>

namespace quelby::test {
namespace {

namespace fs = std::filesystem;

void WritePublishCfg(ShellRig& rig, const std::string& broker) {
    rig.home.write("Support/Publish.cfg", "publish=on\nbroker=" + broker +
                                              "\ntopic_prefix=plant/line3\ninterval_ms=100\n");
}

// Goes online until the Main Display has made a few passes, the status poll has read the
// fault code twice and `until` holds, and goes offline. The reads of each address are counted
// meanwhile.
std::map<std::int32_t, int> ReadsWhileOnline(ShellRig& rig, const std::function<bool()>& until) {
    std::map<std::int32_t, int> reads;
    rig.board.setReadObserver([&](std::uint16_t address) { ++reads[address]; });
    rig.window.goOnline();
    const std::int32_t cpm = ParseAddress("W182")->byteAddress;
    const std::int32_t fault = ParseAddress("B8176")->byteAddress;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return reads[cpm] >= 3 && reads[fault] >= 2 && until(); }, 8000));
    rig.window.goOffline();
    rig.board.setReadObserver({});
    return reads;
}

QLineEdit* Field(frmPublish& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(name);
}

bool HasMessage(const std::vector<std::string>& messages, const std::string& text) {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const std::string& m) { return m.find(text) != std::string::npos; });
}

// Online with publishing on, the live topic gets the board's values and the status poll's
// fault code, the status topic online, then a retained offline once the program goes offline
// (the publisher's retained status: PublishCli); the board is read at the same addresses as
// without publishing, none more.
TEST(LivePublishing, PublishesTheBoardsValuesAndStatusWithoutReadingTheBoardMore) {
    if (MosquittoPrograms::broker().empty()) GTEST_SKIP() << "no mosquitto";
    MosquittoBroker broker;
    ShellRig rig(false);
    rig.window.show();
    rig.board.setValue("W182", 1200);
    rig.board.setValue("D1100", 345678);
    rig.board.setValue("D1104", 12);
    rig.board.setValue("B8176", 10);
    const auto without = ReadsWhileOnline(rig, [] { return true; });

    WritePublishCfg(rig, broker.address());
    MqttSubscriber live(broker, "plant/line3/#");
    std::vector<std::string> messages;
    const auto with = ReadsWhileOnline(rig, [&] {
        messages = live.messages(100, 0);
        return HasMessage(messages, R"("fault":10,)") &&
               rig.window.statusPanels().publishing()->text() == QString("MQTT \u2713 plant/line3");
    });
    for (const auto& [address, count] : with)
        EXPECT_TRUE(without.contains(address)) << address;

    EXPECT_EQ(messages.at(0), "0 plant/line3/status online");
    EXPECT_TRUE(HasMessage(messages, R"("cpm":1200,"good_cans":345678,"blowoffs":12,)"));
    EXPECT_TRUE(rig.window.statusPanels().publishing()->isHidden()) << "offline nothing publishes";
    EXPECT_EQ(rig.window.livePublishing().publisher(), nullptr);
    EXPECT_EQ(MqttSubscriber(broker, "plant/line3/status", {"-C", "1"}).messages(1),
              std::vector<std::string>{"1 plant/line3/status offline"});
}

// A broker nobody answers for: the status bar says so in red, with the reason in its tip.
TEST(LivePublishing, StatusBarSaysTheBrokerIsNotReached) {
    ShellRig rig;
    WritePublishCfg(rig, "127.0.0.1:" + std::to_string(FreeLoopbackPort()));
    rig.showOnline();
    QLabel* label = rig.window.statusPanels().publishing();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return label->isVisible() && label->toolTip().contains("broker not reached ("); },
        5000))
        << label->toolTip().toStdString();
    EXPECT_EQ(label->text(), "MQTT: not reached");
    EXPECT_FALSE(label->styleSheet().isEmpty());
    rig.window.goOffline();
    EXPECT_TRUE(label->isHidden());
}

// The dialog refuses a wildcard prefix and stays open; what it saves comes back when it opens
// again, the password in a file of the user's alone and not among the settings. A password
// file others may read is refused with a message, and nothing is published.
TEST(PublishDialog, RefusesAWildcardKeepsThePasswordApartAndRefusesAFileOthersMayRead) {
    ShellRig rig;
    const fs::path ca = rig.home.write("ca.crt", "certificate");
    EXPECT_TRUE(rig.inModal<frmPublish>(rig.item("mnuEditPublish"), [&](frmPublish& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Publish Live Values");
        EXPECT_EQ(Field(dialog, "txtPassword")->echoMode(), QLineEdit::Password);
        dialog.findChild<QCheckBox*>("chkPublish")->setChecked(true);
        Field(dialog, "txtBroker")->setText("broker.plant:1884");
        Field(dialog, "txtTopic")->setText("plant/#");
        dialog.findChild<QPushButton*>("cmdOK")->click();
        ASSERT_TRUE(dialog.isVisible());
        ASSERT_EQ(rig.prompt.requests().size(), 1u);
        EXPECT_NE(rig.prompt.requests()[0].text().find("wildcard"), std::string::npos);

        Field(dialog, "txtTopic")->setText("plant/line3");
        Field(dialog, "txtUser")->setText("line3");
        QTest::keyClicks(Field(dialog, "txtPassword"), "s3cret");
        rig.dialogs.answerNext(ca);
        dialog.findChild<QPushButton*>("cmdBrowse")->click();
        dialog.findChild<QSpinBox*>("spnInterval")->setValue(2500);
        dialog.findChild<QPushButton*>("cmdOK")->click();
        EXPECT_FALSE(dialog.isVisible());
    }));
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
    const std::string cfg = rig.home.read("Support/Publish.cfg");
    EXPECT_NE(cfg.find("broker=broker.plant:1884\n"), std::string::npos) << cfg;
    EXPECT_EQ(cfg.find("s3cret"), std::string::npos) << cfg;
    // (The password file's own rules: FilePasswordStore.)
    const fs::path passwordFile = rig.home.path() / "Support" / "Publish.password";

    EXPECT_TRUE(rig.inModal<frmPublish>(rig.item("mnuEditPublish"), [&](frmPublish& dialog) {
        EXPECT_TRUE(dialog.findChild<QCheckBox*>("chkPublish")->isChecked());
        EXPECT_EQ(Field(dialog, "txtBroker")->text(), "broker.plant:1884");
        EXPECT_EQ(Field(dialog, "txtTopic")->text(), "plant/line3");
        EXPECT_EQ(Field(dialog, "txtUser")->text(), "line3");
        EXPECT_EQ(Field(dialog, "txtPassword")->text(), "s3cret");
        EXPECT_EQ(Field(dialog, "txtCaFile")->text().toStdString(), ca.string());
        EXPECT_EQ(dialog.findChild<QSpinBox*>("spnInterval")->value(), 2500);
    }));

    fs::permissions(passwordFile, fs::perms::group_read, fs::perm_options::add);
    rig.window.goOnline();
    // (The refusal's reason: PublishSettingsFile.)
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.prompt.requests().size() == 2; }, 2000));
    EXPECT_EQ(rig.window.statusPanels().publishing()->text(), "MQTT: not started");
    EXPECT_EQ(rig.window.livePublishing().publisher(), nullptr);
}

// The status poll's fault code, which the published messages carry, is only a confirmed one.
TEST(StatusPoll, CarriesTheFaultCodeOnlyWhenTheReadWasConfirmed) {
    ShellRig rig;
    rig.window.goOnline();
    rig.board.setValue("B8176", 7);
    EXPECT_EQ(PollStatus(rig.window.link())->faultCode, 7);
    rig.board.corruptAnswerAt(0); // the echo comes back altered
    EXPECT_EQ(PollStatus(rig.window.link()), std::nullopt) << "a spoiled read passed as confirmed";
}

} // namespace
} // namespace quelby::test
