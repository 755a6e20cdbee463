#pragma once

#include <QPushButton>

namespace quelby {

// A command button that acts for as long as it is held down with the mouse: heldDown when any
// mouse button goes down on it, letGo once when the hold ends. A hold ends when the mouse
// button comes up, and also when the release can no longer arrive: the button loses the focus
// (a message box opens, another window is activated), is hidden (its page or window closes),
// disabled or destroyed. Space, Enter and the access key do nothing but move the focus here.
class PushHoldButton : public QPushButton {
    Q_OBJECT
public:
    PushHoldButton(const QString& caption, QWidget* parent);
    ~PushHoldButton() override;

    bool held() const { return m_held; }
    // Ends a hold in progress (emits letGo); does nothing otherwise.
    void endHold();

signals:
    void heldDown();
    void letGo();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_held = false;
};

} // namespace quelby
