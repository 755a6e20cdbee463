#include "views/PendingEditGuard.h"

#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QEvent>
#include <QMenuBar>
#include <QTabBar>
#include <QTimer>

namespace quelby {
namespace {

// The application's one guard, used on the UI thread only.
QPointer<PendingEditGuard> g_guard; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

// Controls that act on a mouse press without taking the focus first: buttons that take no
// focus (arrows, push-and-hold buttons), the menu bar, tab strips, scroll bars.
bool ActsOnPress(const QWidget* target) {
    for (const QWidget* widget = target; widget; widget = widget->parentWidget()) {
        if (qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QMenuBar*>(widget) ||
            qobject_cast<const QTabBar*>(widget) || qobject_cast<const QAbstractSlider*>(widget))
            return true;
        if (widget->isWindow()) break;
    }
    return false;
}

bool Swallow(QEvent* event) {
    event->accept();
    return true;
}

} // namespace

PendingEditGuard::PendingEditGuard(QObject* parent) : QObject(parent) {}

void PendingEditGuard::install() {
    if (g_guard || !qApp) return;
    g_guard = new PendingEditGuard(qApp);
    qApp->installEventFilter(g_guard);
}

NumericEntryField* PendingEditGuard::pendingFieldIn(const QWidget* window) {
    if (!window) return nullptr;
    auto* box = qobject_cast<EntryTextBox*>(window->window()->focusWidget());
    if (!box || !box->field().hasUncheckedEdit()) return nullptr;
    return &box->field();
}

void PendingEditGuard::refuseCurrentPress(QWidget* window) {
    if (!g_guard || !window) return;
    g_guard->m_refusedPressWindow = window;
    // The press is delivered right after the focus change; one that never comes (the focus
    // was moved by code) must not cost a later click.
    QTimer::singleShot(0, g_guard.data(),
                       [guard = g_guard.data()] { guard->m_refusedPressWindow = nullptr; });
}

bool PendingEditGuard::pressRefused(QWidget* target) {
    if (!m_refusedPressWindow || target->window() != m_refusedPressWindow) return false;
    m_refusedPressWindow = nullptr;
    return true;
}

bool PendingEditGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Shortcut: {
        // Shortcuts go to actions as well as widgets; an action's shortcut works in the
        // active window.
        const QWidget* window = watched->isWidgetType()
                                    ? static_cast<QWidget*>(watched)->window()
                                    : QApplication::activeWindow();
        NumericEntryField* field = pendingFieldIn(window);
        if (field && !field->CheckUncheckedEdit()) return Swallow(event);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (!watched->isWidgetType()) break;
        auto* target = static_cast<QWidget*>(watched);
        if (pressRefused(target)) return Swallow(event);
        if (!ActsOnPress(target)) break;
        NumericEntryField* field = pendingFieldIn(target->window());
        // The field's own arrows are part of the edit: their step replaces the text.
        if (!field || field->isAncestorOf(target)) break;
        if (!field->CheckUncheckedEdit()) return Swallow(event);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool PendingEditPasses(const QWidget* context) {
    NumericEntryField* field =
        PendingEditGuard::pendingFieldIn(context ? context : QApplication::activeWindow());
    return !field || field->CheckUncheckedEdit();
}

} // namespace quelby
