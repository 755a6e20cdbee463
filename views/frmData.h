#pragma once

#include "app/data/ShiftDataTable.h"
#include "link/BoardChangeLog.h"
#include "views/RefreshCycleWindow.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QGroupBox;
class QLabel;
class QTabBar;
class QWidget;

namespace quelby {

class SpindleBarChart;

class NumericEntryField;
class PushHoldButton;
class UserPrompt;

// Shift Data: trips per spindle since the last reset, and the current and the last shift's
// totals and trips per spindle, each page with the sum of its 24 spindles. Online each pass
// reads the visible page from the board; offline all three pages show CurrentData. The
// spindle #1 trip offset is the one value edited here. "Reset Trips" and "Transfer Data" hold
// their board bit at 1 for as long as the mouse holds the button down; however the hold ends
// (release, a message taking the focus, the page or window closing, going offline) the bit
// goes back to 0 while the link is working.
class frmData : public RefreshCycleWindow {
    Q_OBJECT
public:
    frmData(ShellContext& shell, UserPrompt& prompt, QWidget* parent = nullptr);
    ~frmData() override;

    static constexpr const char* kResetTripsAddress = "B1016.0";
    static constexpr const char* kTransferDataAddress = "F133";

    NumericEntryField* tripOffsetField() const { return m_tripOffset; }
    int currentPage() const { return m_page; }
    QString shown(int entry) const;
    QString totalShown(int page) const;

    // Shows page 0..2 as a tab click does: the refresh under way stops at its next read.
    void showPage(int page);

protected:
    void onlinePreparation() override;
    void offlinePreparation() override;
    QCoro::Task<bool> refreshPass(bool online) override;

private:
    // One push-and-hold command: its board bit and whether its 0 is still to be written.
    struct HoldCommand {
        PushHoldButton* button = nullptr;
        const char* address = nullptr;
        const char* name = nullptr;
        bool releasePending = false;
        // From the press to the written release: the press and its release are one change.
        std::unique_ptr<BoardChangeScope> held;
    };

    void buildControls();
    QWidget* buildPage(int page, const char* caption);
    QWidget* buildSpindleColumns(int firstEntry, QWidget* parent);
    QGroupBox* buildTotals(int page, const char* name, const char* caption, QWidget* parent);
    QLabel* makeValue(int entry, QWidget* parent);
    void setShown(int entry, std::int64_t value);
    void showTotal(int page, std::int64_t total);

    void holdDown(HoldCommand& command);
    void holdLetGo(HoldCommand& command);
    // Writes the 0 of every let-go command while the link can take it; keeps it pending
    // while the link is busy (a message of the link is open).
    void finishReleases();
    void watchGoingOffline();

    QCoro::Task<bool> onlineRefresh();
    bool offlineRefresh();

    UserPrompt& m_prompt;
    bool m_escOnce = false;
    QTabBar* m_tbsData = nullptr;
    std::array<QWidget*, 3> m_fraPage{};
    std::array<QLabel*, kShiftDataEntries> m_lblData{};
    std::array<QLabel*, 3> m_lblTotalTrips{};
    std::array<SpindleBarChart*, 3> m_picTrips{}; // a page's spindles, as its fields show them
    std::array<std::int32_t, kShiftDataEntries> m_values{};
    QGroupBox* m_fraSpindleTrip = nullptr;
    QLabel* m_lblTripOffset = nullptr;
    NumericEntryField* m_tripOffset = nullptr;
    QLabel* m_lblTrippedSpindle = nullptr;
    QGroupBox* m_fraEndOfShift = nullptr;
    HoldCommand m_resetTrips;
    HoldCommand m_transferData;
    QWidget* m_cmdDefault = nullptr;

    int m_page = 0;
    IndexRange m_range = kShiftDataPages[0].entries;
    bool m_pageChanged = false;
    bool m_lastOfflineEditing = false;
    std::string m_lastRead;
};

} // namespace quelby
