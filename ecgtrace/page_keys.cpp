#include "ecgtrace/page_keys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTabWidget>

namespace ecgtrace {

int NeighbourPage(const QTabWidget& tabs, int current, int step) {
    const int count = tabs.count();
    for (int pass = 1; pass < count; ++pass) {
        const int page = ((current + pass * step) % count + count) % count;
        if (tabs.isTabVisible(page) && tabs.isTabEnabled(page)) return page;
    }
    return current;
}

void AddPageKeys(QTabWidget* tabs) {
    const struct {
        QKeyCombination keys;
        int step;
    } bindings[] = {
        {Qt::CTRL | Qt::Key_Tab, 1},
        {Qt::CTRL | Qt::Key_PageDown, 1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1},
        // Shift turns Tab into Backtab on most keyboards.
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
        {Qt::CTRL | Qt::Key_PageUp, -1},
    };
    for (const auto& binding : bindings) {
        auto* shortcut = new QShortcut(QKeySequence(binding.keys), tabs);
        shortcut->setContext(Qt::WindowShortcut);
        const int step = binding.step;
        QObject::connect(shortcut, &QShortcut::activated, tabs, [tabs, step] {
            tabs->setCurrentIndex(NeighbourPage(*tabs, tabs->currentIndex(), step));
        });
    }
}

}  // namespace ecgtrace
