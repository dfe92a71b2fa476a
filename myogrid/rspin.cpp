#include "myogrid/rspin.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

#include "common/number_format.h"
#include "common/ui/int_spin_edit.h"

namespace myogrid {

TRspinEdit::TRspinEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), arrows_(new common::ui::ArrowButtons) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_);
    setFocusProxy(edit_);
    setFocusPolicy(Qt::StrongFocus);
    edit_->setText(QStringLiteral("0"));
    edit_->installEventFilter(this);
    arrows_->PlaceInside(edit_);
    connect(arrows_, &common::ui::ArrowButtons::UpClick, this, [this] {
        if (isEnabled()) edit_->setFocus(Qt::MouseFocusReason);
        StepUp();
    });
    connect(arrows_, &common::ui::ArrowButtons::DownClick, this, [this] {
        if (isEnabled()) edit_->setFocus(Qt::MouseFocusReason);
        StepDown();
    });
    connect(edit_, &QLineEdit::textEdited, this, [this] { emit UserChanged(); });
    setMinimumHeight(edit_->sizeHint().height());
}

double TRspinEdit::Value() const {
    double v = 0.0;
    if (!common::TryParseFloat(edit_->text().toStdString(), v)) return min_;
    return v;
}

double TRspinEdit::CheckValue(double x) const {
    if (max_ == min_) return x;
    if (x < min_) return min_;
    if (x > max_) return max_;
    return x;
}

void TRspinEdit::SetValue(double value) {
    edit_->setText(QString::fromStdString(common::FormatGeneral(CheckValue(value), 15)));
}

QString TRspinEdit::Text() const { return edit_->text(); }
void TRspinEdit::SetText(const QString& text) { edit_->setText(text); }

void TRspinEdit::SetEditorEnabled(bool enabled) {
    editorEnabled_ = enabled;
    UpdateEditorReadOnly();
}

void TRspinEdit::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    UpdateEditorReadOnly();
}

void TRspinEdit::UpdateEditorReadOnly() { edit_->setReadOnly(readOnly_ || !editorEnabled_); }

void TRspinEdit::StepUp() { Step(1); }
void TRspinEdit::StepDown() { Step(-1); }

void TRspinEdit::Step(int sign) {
    if (readOnly_) {
        common::ui::SpinBeep();
        return;
    }
    const QString before = edit_->text();
    SetValue(Value() + sign * increment_);
    if (edit_->text() != before) emit UserChanged();
}

bool TRspinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        if (event->type() == QEvent::KeyPress) {
            return common::ui::HandleSpinKey(
                static_cast<QKeyEvent*>(event), editorEnabled_, readOnly_,
                [this](int sign) { Step(sign); }, [this] { emit EditingFinished(); });
        }
        if (event->type() == QEvent::FocusOut) {
            const double v = Value();
            if (CheckValue(v) != v) {
                SetValue(v);
                emit UserChanged();
            }
            emit EditingFinished();
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace myogrid
