#include "common/ui/spin_arrows.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyleOption>
#include <QStylePainter>

namespace common::ui {

namespace {
std::function<void()>& BeepHandler() {
    static std::function<void()> handler;
    return handler;
}
}  // namespace

void SpinBeep() {
    if (BeepHandler())
        BeepHandler()();
    else
        QApplication::beep();
}

void SetSpinBeepHandler(std::function<void()> handler) { BeepHandler() = std::move(handler); }

RepeatButton::RepeatButton(Direction direction, QWidget* parent)
    : QWidget(parent), direction_(direction) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    connect(&timer_, &QTimer::timeout, this, &RepeatButton::Tick);
}

void RepeatButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton panel;
    panel.initFrom(this);
    panel.state |= (down_ && inside_) ? QStyle::State_Sunken : QStyle::State_Raised;
    painter.drawPrimitive(QStyle::PE_PanelButtonBevel, panel);

    // A small solid triangle, drawn by hand so it stays visible at this size.
    const int w = width(), h = height();
    const int half = std::max(1, std::min(w / 2 - 2, h - 4));
    const int cx = w / 2 + ((down_ && inside_) ? 1 : 0);
    const int cy = h / 2 + ((down_ && inside_) ? 1 : 0);
    const QColor colour = isEnabled() ? palette().color(QPalette::ButtonText)
                                      : palette().color(QPalette::Disabled, QPalette::ButtonText);
    painter.setPen(colour);
    const int rows = (half + 1) / 2 + 1;
    for (int r = 0; r < rows; ++r) {
        const int y = direction_ == Direction::Up ? cy - rows / 2 + r : cy + rows / 2 - r;
        painter.drawLine(cx - r, y, cx + r, y);
    }
}

void RepeatButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    down_ = true;
    inside_ = true;
    update();
    timer_.start(kFirstRepeatMs);
    emit Step();
}

void RepeatButton::mouseMoveEvent(QMouseEvent* event) {
    if (!down_) return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != inside_) {
        inside_ = inside;
        update();
    }
}

void RepeatButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Release();
}

void RepeatButton::hideEvent(QHideEvent* event) {
    Release();
    QWidget::hideEvent(event);
}

void RepeatButton::Release() {
    timer_.stop();
    if (down_) {
        down_ = false;
        update();
    }
}

void RepeatButton::Tick() {
    if (!down_) {
        timer_.stop();
        return;
    }
    // A modal window opened by a step (an error box, say) takes the pointer:
    // the release would never reach this button, so the press ends here.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != window()) {
        Release();
        return;
    }
    if (timer_.interval() != kRepeatMs) timer_.setInterval(kRepeatMs);
    // Dragged off the button: no steps until the pointer comes back.
    if (inside_) emit Step();
}

ArrowButtons::ArrowButtons(QWidget* parent)
    : QWidget(parent),
      up_(new RepeatButton(RepeatButton::Direction::Up, this)),
      down_(new RepeatButton(RepeatButton::Direction::Down, this)) {
    up_->setObjectName(QStringLiteral("UpButton"));
    down_->setObjectName(QStringLiteral("DownButton"));
    setFocusPolicy(Qt::NoFocus);
    resize(kWidth, kHeight);
    connect(up_, &RepeatButton::Step, this, &ArrowButtons::UpClick);
    connect(down_, &RepeatButton::Step, this, &ArrowButtons::DownClick);
}

void ArrowButtons::resizeEvent(QResizeEvent*) {
    const int upHeight = (height() + 1) / 2;
    up_->setGeometry(0, 0, width(), upHeight);
    down_->setGeometry(0, upHeight, width(), height() - upHeight);
}

void ArrowButtons::PlaceInside(QWidget* field) {
    if (field_) field_->removeEventFilter(this);
    field_ = field;
    setParent(field);
    field->installEventFilter(this);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        const QMargins m = edit->textMargins();
        edit->setTextMargins(m.left(), m.top(), kWidth + 2, m.bottom());
    }
    Relayout();
    show();
}

bool ArrowButtons::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::Resize) Relayout();
    return QWidget::eventFilter(watched, event);
}

void ArrowButtons::Relayout() {
    if (!field_) return;
    // Inside the field's frame, full inner height (at most the natural 17
    // pixels would look cramped in tall fields, so the pair follows it).
    const int frame = 2;
    const int h = std::max(kHeight, field_->height() - 2 * frame);
    const int x = field_->width() - kWidth - frame;
    setGeometry(x, std::max(0, (field_->height() - h) / 2), kWidth, std::min(h, field_->height()));
}

}  // namespace common::ui
