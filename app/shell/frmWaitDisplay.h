#pragma once

#include <QDialog>

#include <utility>

class QLabel;

namespace quelby {

// Why the "Please Standby" window is shown (WaitReason).
enum class WaitReason { None, PrintReport };

// The small "Please Standby" window shown, not modal, while a long job runs.
class frmWaitDisplay : public QDialog {
    Q_OBJECT

public:
    explicit frmWaitDisplay(WaitReason reason, QWidget* parent = nullptr);

    // Centres and shows the window, handles pending events once, runs `job`, then hides the
    // window and handles events once more. Returns what `job` returned.
    template <typename Job>
    auto runWhileShown(Job&& job) {
        showCentred();
        auto result = std::forward<Job>(job)();
        finish();
        return result;
    }

    QString labelText() const;

private:
    void showCentred();
    void finish();

    QLabel* m_label = nullptr;
};

} // namespace quelby
