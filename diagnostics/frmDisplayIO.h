#pragma once

#include "views/RefreshCycleWindow.h"

#include <array>

class QGroupBox;
class QLabel;

namespace quelby {

// I/O States: the board's slot 0-0 and 0-1 inputs, slot 0-2 outputs, timing channel outputs
// and the K650's sensor inputs, analog values and resolver, read live on every online pass
// ("ON" in blue, "off" in dark red). It only reads. Offline every state shows "-".
class frmDisplayIO : public RefreshCycleWindow {
    Q_OBJECT
public:
    explicit frmDisplayIO(ShellContext& shell, QWidget* parent = nullptr);

    static constexpr int kFrames = 5;
    static constexpr int kBitRows = 16;

signals:
    // A state read ran through all fifteen addresses.
    void stateReadFinished();

protected:
    void onlinePreparation() override;
    void offlinePreparation() override;
    QCoro::Task<bool> refreshPass(bool online) override;

private:
    void buildControls();
    void prepare(bool enabled);
    void showState(QLabel* label, bool on);

    std::array<QGroupBox*, kFrames> m_fraBMIO{};
    std::array<QLabel*, 11> m_lblk610{};
    std::array<QLabel*, 11> m_lblk610State{};
    // By word, in the order of the address table: timing, slot 0-0, slot 0-1, slot 0-2.
    std::array<std::array<QLabel*, kBitRows>, 4> m_lblBit{};
    std::array<std::array<QLabel*, kBitRows>, 4> m_lblBitState{};
};

} // namespace quelby
