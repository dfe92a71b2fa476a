#pragma once
// Walks a window as assistive technology and the keyboard see it: the
// widgets a user can act on with their accessible names, and the widgets
// Tab visits from a starting point.
#include <QAccessible>
#include <QAbstractButton>
#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "common/ui/plot_view.h"
#include "common/ui/spin_arrows.h"

namespace testing_support {

inline QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}
inline QString AccessibleDescription(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Description) : QString();
}

// Qt's own inner parts (scroll bars, the tab bar's scroll arrows, the
// viewport of text boxes) carry their names from Qt.
inline bool IsQtInnerPart(const QWidget* widget) {
    for (const QObject* p = widget->parent(); p; p = p->parent())
        if (qobject_cast<const QTabBar*>(p)) return true;
    const QString cls = QString::fromLatin1(widget->metaObject()->className());
    return cls == QLatin1String("QScrollBar") ||
           widget->objectName().startsWith(QLatin1String("qt_"));
}

// Every widget of `window` the user can act on: those Tab can reach, the
// buttons, the spin arrows and the plots, hidden ones included.
inline std::vector<QWidget*> InteractiveWidgets(QWidget& window) {
    std::vector<QWidget*> found;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        // A widget passing its focus on is reached through the one it names.
        if (IsQtInnerPart(w) || w->focusProxy()) continue;
        if ((w->focusPolicy() & Qt::TabFocus) || qobject_cast<QAbstractButton*>(w) ||
            qobject_cast<common::ui::RepeatButton*>(w) || qobject_cast<common::ui::PlotView*>(w))
            found.push_back(w);
    }
    return found;
}

// The widgets that can take the focus with Tab right now (shown, enabled).
inline std::vector<QWidget*> TabReachable(QWidget& window) {
    std::vector<QWidget*> found;
    for (QWidget* w : window.findChildren<QWidget*>())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&window) && w->isEnabled() &&
            !w->focusProxy())
            found.push_back(w);
    return found;
}

// Presses Tab from `start` (which must have the focus) until the focus comes
// back to it, at most `limit` times; returns the widgets focused in order.
inline std::vector<QWidget*> TabCycle(QWidget* start, int limit = 200) {
    std::vector<QWidget*> visited{start};
    for (int i = 0; i < limit; ++i) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused) break;
        QTest::keyClick(focused, Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        if (!next || next == start) break;
        visited.push_back(next);
    }
    return visited;
}

}  // namespace testing_support
