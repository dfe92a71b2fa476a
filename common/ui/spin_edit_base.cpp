#include "common/ui/spin_edit_base.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

namespace common::ui {

bool SpinAcceptsChar(QChar c, bool editorEnabled) {
    const char16_t u = c.unicode();
    // X11 sends Delete as the control character 127, so every control
    // character counts (not only those below 32), Enter excepted.
    const bool control = c.category() == QChar::Other_Control;
    bool ok = u == '+' || u == '-' || u == '.' || u == ',' || (u >= '0' && u <= '9') ||
              (control && u != '\r' && u != '\n');
    // With the editor disabled only the harmless control characters pass:
    // Backspace and Delete (46 is the decimal point: refused as well).
    if (!editorEnabled && ok && (!control || u == 8 || u == 127 || u == 46)) ok = false;
    return ok;
}

bool HandleSpinKey(QKeyEvent* event, bool editorEnabled, bool readOnly,
                   const std::function<void(int)>& step, const std::function<void()>& enter) {
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        step(key == Qt::Key_Up ? 1 : -1);
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Enter never reaches the text; it ends the editing.
        enter();
        return true;
    }
    // Editing keys that carry no character.
    if (key == Qt::Key_Delete && !editorEnabled) {
        SpinBeep();
        return true;
    }
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) {
        if (!editorEnabled || readOnly) return true;  // silently not done
        return false;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;  // shortcuts (copy, select all) are not typed characters
    QString text = event->text();
    if (key == Qt::Key_Backspace) text = QString(QChar(8));
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (!SpinAcceptsChar(c, editorEnabled)) {
            SpinBeep();
            return true;
        }
    }
    return false;
}

SpinEditBase::SpinEditBase(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), arrows_(new ArrowButtons(edit_)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_);
    setFocusProxy(edit_);
    setFocusPolicy(Qt::StrongFocus);
    edit_->setText(QStringLiteral("0"));
    edit_->installEventFilter(this);
    edit_->setContextMenuPolicy(Qt::DefaultContextMenu);

    arrows_->PlaceInside(edit_);
    connect(arrows_, &ArrowButtons::UpClick, this, [this] {
        if (isEnabled()) edit_->setFocus(Qt::MouseFocusReason);
        StepUp();
    });
    connect(arrows_, &ArrowButtons::DownClick, this, [this] {
        if (isEnabled()) edit_->setFocus(Qt::MouseFocusReason);
        StepDown();
    });
    // textEdited is emitted for typing only, never for setText.
    connect(edit_, &QLineEdit::textEdited, this, [this] { emit UserChanged(); });
    setMinimumHeight(edit_->sizeHint().height());
}

QString SpinEditBase::Text() const { return edit_->text(); }

void SpinEditBase::SetText(const QString& text) { edit_->setText(text); }

void SpinEditBase::SetEditorEnabled(bool enabled) {
    editorEnabled_ = enabled;
    UpdateEditorReadOnly();
}

void SpinEditBase::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    UpdateEditorReadOnly();
}

void SpinEditBase::UpdateEditorReadOnly() {
    // The arrows write the text themselves, so the line edit may refuse every
    // edit (also paste, cut and its context menu) whenever typing is off.
    edit_->setReadOnly(readOnly_ || !editorEnabled_);
}

void SpinEditBase::Step(int sign) {
    if (readOnly_) {
        SpinBeep();
        return;
    }
    const QString before = edit_->text();
    WriteStepped(sign);
    if (edit_->text() != before) emit UserChanged();
}

void SpinEditBase::FinishEditing(bool clamp) {
    if (clamp && ClampShownValue()) emit UserChanged();
    // The value in use does not change: only the text that showed it badly.
    if (showsValueInUse_ && !readOnly_) ShowValueInUse();
    emit EditingFinished();
}

bool SpinEditBase::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        if (event->type() == QEvent::KeyPress) {
            return HandleSpinKey(
                static_cast<QKeyEvent*>(event), editorEnabled_, readOnly_,
                [this](int sign) { Step(sign); }, [this] { FinishEditing(false); });
        }
        if (event->type() == QEvent::FocusOut) FinishEditing(true);
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace common::ui
