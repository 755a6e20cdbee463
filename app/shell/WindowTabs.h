#pragma once

#include <QProxyStyle>
#include <QTabBar>

class QMdiSubWindow;

namespace quelby {

class MainMenus;

// A tab for each child window above the window area, named as in the Window menu, so the
// windows can be switched without opening the menu. Windows this build lacks are disabled.
// The tab of the window shown is the current one; choosing another emits windowChosen.
class WindowTabs : public QTabBar {
    Q_OBJECT
public:
    WindowTabs(const MainMenus& menus, QWidget* parent);
    // Marks the window shown without emitting windowChosen.
    void showCurrent(int index);

signals:
    void windowChosen(int index);
};

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
