#pragma once

#include "app/data/DataSet.h"
#include "app/data/LiveTrend.h"
#include "link/RSComm.h"
#include "views/ShellContext.h"

namespace quelby::bench {

// What a window under measurement sees of the main window: the link to quelby-sim, a data
// set, online, never paused.
class BenchShell : public ShellContext {
public:
    explicit BenchShell(RSComm& link) : m_link(link) {}
    RSComm& link() override { return m_link; }
    DataSet& dataSet() override { return m_data; }
    std::string systemMessage() const override { return "System OK"; }
    bool offlineEditing() const override { return false; }
    void updateOnlineStatus() override {
        if (!m_link.OnlineMode) m_link.CloseRSComm();
    }
    bool cyclesPaused() const override { return false; }
    LiveTrend& liveTrend() override { return m_trend; }

private:
    RSComm& m_link;
    DataSet m_data;
    LiveTrend m_trend;
};

} // namespace quelby::bench
