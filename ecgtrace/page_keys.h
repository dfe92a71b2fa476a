#pragma once
// Keyboard page switching for a window's tab control: Ctrl+Tab and
// Ctrl+PageDown go to the next page, Ctrl+Shift+Tab and Ctrl+PageUp to the
// previous one, wrapping around and skipping hidden or disabled pages. The
// page is changed as a click on its tab changes it.
class QTabWidget;

namespace ecgtrace {

void AddPageKeys(QTabWidget* tabs);

// The page `step` (+1 or -1) away from `current` among the pages that can be
// shown; `current` when there is none.
int NeighbourPage(const QTabWidget& tabs, int current, int step);

}  // namespace ecgtrace
