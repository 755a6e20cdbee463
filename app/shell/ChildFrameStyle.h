#pragma once

#include <QProxyStyle>

class QMdiSubWindow;

namespace quelby {

// The frame of the child window: it fills the window area without a frame of its own, puts
// no minimise, restore or close buttons into the menu bar and has no system menu, so neither
// a button nor Ctrl+F4 closes the only window.
class ChildFrameStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;

    // Dresses `sub` this way before it is shown maximized; the style must outlive it.
    void dress(QMdiSubWindow& sub);
};

} // namespace quelby
