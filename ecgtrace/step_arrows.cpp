#include "ecgtrace/step_arrows.h"

#include "common/ui/spin_arrows.h"

#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace ecgtrace {

StepArrows::StepArrows(QWidget* parent)
    : QWidget(parent), arrows_(new common::ui::ArrowButtons(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(arrows_);
    // Tab reaches it; a click on an arrow leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    connect(arrows_, &common::ui::ArrowButtons::UpClick, this, [this] { Click(1); });
    connect(arrows_, &common::ui::ArrowButtons::DownClick, this, [this] { Click(-1); });
}

void StepArrows::SetPosition(int position) { position_ = std::clamp(position, min_, max_); }

void StepArrows::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
}

void StepArrows::Click(int sign) {
    emit AboutToStep();
    const long long next =
        static_cast<long long>(position_) + static_cast<long long>(sign) * increment_;
    position_ = static_cast<int>(std::clamp<long long>(next, min_, max_));
    emit Clicked();
}

void StepArrows::keyPressEvent(QKeyEvent* event) {
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        Click(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    QWidget::keyPressEvent(event);
}

// A focused pair shows a frame around its arrows.
void StepArrows::focusInEvent(QFocusEvent* event) {
    layout()->setContentsMargins(1, 1, 1, 1);
    update();
    QWidget::focusInEvent(event);
}

void StepArrows::focusOutEvent(QFocusEvent* event) {
    layout()->setContentsMargins(0, 0, 0, 0);
    update();
    QWidget::focusOutEvent(event);
}

void StepArrows::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ecgtrace
