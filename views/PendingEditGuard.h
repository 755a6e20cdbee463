#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace quelby {

class NumericEntryField;

// A command acts only on what passed its checks. A numeric entry field checks its text when
// the focus leaves it, but several things act while the focus stays in the field: access
// keys and shortcuts (a button's Alt+letter, a menu's F3 or Ctrl+S), a click on a button
// that takes no focus, a push-and-hold button acting on the press itself, the menu bar. While
// the focused field of a window holds an edit that has not been checked yet, the guard runs
// that field's check before any of these reach their target and drops them when it fails,
// so the field's message is the only thing that happens.
//
// Why an application-wide event filter: shortcuts are delivered to whatever owns them (an
// action, a button, the menu bar) and only a filter on the application sees them all before
// their owner acts. It is installed by the first entry field, so every window with entry
// fields has it without doing anything of its own.
//
// A press on a control that takes the focus moves the focus before any filter sees the
// press: the field's own focus-out check runs first. When that check fails, the field tells
// the guard, and the press that caused it is dropped too, so the message shows once and the
// control does not act.
//
// Commands started by code rather than by an event (a menu item's triggered signal, a click
// on a status bar panel) call PendingEditPasses() before acting.
class PendingEditGuard : public QObject {
    Q_OBJECT
public:
    // Installs the one guard on the application; later calls do nothing.
    static void install();

    // The field whose text box has the focus in `window` and holds an unchecked edit.
    static NumericEntryField* pendingFieldIn(const QWidget* window);

    // Called by a field whose focus-out check failed when a mouse press moved the focus:
    // the press that is being delivered in `window` goes no further.
    static void refuseCurrentPress(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit PendingEditGuard(QObject* parent);
    bool pressRefused(QWidget* target);

    QPointer<QWidget> m_refusedPressWindow;
};

// Runs the check of the field holding an unchecked edit in `context`'s window (the active
// window when `context` is null). True when there is none or its check passed; false after
// the field's message, and the command must then do nothing.
bool PendingEditPasses(const QWidget* context = nullptr);

} // namespace quelby
