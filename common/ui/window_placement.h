#pragma once
// Where a window opens: centred on the screen or over another window.
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace common::ui {

// The top-left corner that centres a window of `size` in `area`.
QPoint CentredIn(const QRect& area, const QSize& size);

// Moves `window` to the centre of the primary screen's available area (left
// where it is when there is no screen).
void CentreOnScreen(QWidget& window);

// Moves `window` to stand centred over `other`'s frame.
void CentreOver(QWidget& window, const QWidget& other);

// Brings a shown window to the front and gives it the keyboard, except on
// the offscreen platform of the tests, where no window takes the focus.
void BringToFront(QWidget& window);

}  // namespace common::ui
