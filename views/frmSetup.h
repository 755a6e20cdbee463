#pragma once

#include "app/data/SetupParameters.h"
#include "views/RefreshCycleWindow.h"

#include <array>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;
class QTabBar;
class QWidget;

namespace quelby {

class NumericEntryField;
class UserPrompt;

// Set-Up: the seventeen set-up parameters of the machine on three pages, and the bad-can and
// Q.C. test blow-offs. Online each pass reads the fields of the visible page from the board
// and every accepted edit goes to the board at once; offline the fields show CurrentData and
// can be edited only while offline editing is on. The refresh never overwrites a field the
// user is editing.
class frmSetup : public RefreshCycleWindow {
    Q_OBJECT
public:
    frmSetup(ShellContext& shell, UserPrompt& prompt, QWidget* parent = nullptr);

    NumericEntryField* field(int index) const;
    int currentPage() const { return m_page; }
    IndexRange refreshRange() const { return m_range; }

    // Shows page 0..2 as a tab click does: the refresh under way stops at its next field.
    void showPage(int page);

    void cmdBadCanTest_Click(int index);
    // B2088, F825 and F102 set to 1 in this order; a failed write ends the command.
    void cmdQCTest_Click();

protected:
    void onlinePreparation() override;
    void offlinePreparation() override;
    QCoro::Task<bool> refreshPass(bool online) override;

private:
    void buildControls();
    QWidget* buildPage(int page, const char* caption);
    NumericEntryField* makeField(int index, QWidget* parent);
    QLabel* makeLabel(int index, const char* caption, QWidget* parent);
    void setEditorsEnabled(bool enabled);
    void setTestsEnabled(bool enabled);
    // Puts a value into field `index` unless the user is editing it.
    void showUnlessEditing(int index, const QString& text);
    QCoro::Task<bool> onlineRefresh();
    QCoro::Task<bool> offlineRefresh();

    UserPrompt& m_prompt;
    bool m_escOnce = false;
    QTabBar* m_tbsSetup = nullptr;
    std::array<QWidget*, 3> m_fraPage{};
    std::array<NumericEntryField*, kSetupFieldCount> m_fields{};
    std::vector<QGroupBox*> m_editGroups;
    std::vector<QLabel*> m_labels;
    std::array<QGroupBox*, 2> m_fraTestBlowoff{};
    std::array<QPushButton*, 2> m_cmdBadCanTest{};
    QPushButton* m_cmdQCTest = nullptr;
    QPushButton* m_cmdDefault = nullptr;

    int m_page = 0;
    IndexRange m_range = kSetupPages[0];
    bool m_pageChanged = false;
    bool m_lastOfflineEditing = false;
    std::string m_lastRead;
};

} // namespace quelby
