#pragma once

#include <QObject>

class QWidget;

namespace quelby {

// Reports the first time a shown window is exposed on screen: the moment the user can see it.
class ExposeWatcher : public QObject {
    Q_OBJECT

public:
    // `window` must have been shown (it has a native window then).
    explicit ExposeWatcher(QWidget& window);

signals:
    void exposed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_reported = false;
};

} // namespace quelby
