#pragma once
// Integer spin field: an edit with up/down arrow buttons that repeat while
// held (400 ms before the first repeat, 100 ms between repeats).
// The text is the state: Value() reads it, an unparseable text reads as
// MinValue(). Setting a value clamps it to MinValue..MaxValue unless the two
// are equal. Programmatic changes never emit UserChanged.
#include <QWidget>

#include "common/ui/spin_arrows.h"

class QLineEdit;
class QKeyEvent;

namespace common::ui {

// The key filter both spin fields share: '+', '-', digits, the decimal point
// and control characters other than Enter (Delete's 127 included) are
// accepted; with the editor disabled printable characters, Backspace and
// Delete are refused as well.
bool SpinAcceptsChar(QChar c, bool editorEnabled);

class IntSpinEdit : public QWidget {
    Q_OBJECT
public:
    explicit IntSpinEdit(QWidget* parent = nullptr);

    int Value() const;
    void SetValue(int value);  // shows the (clamped) value; emits nothing
    QString Text() const;
    void SetText(const QString& text);  // shows the text as it is; emits nothing

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    int Increment() const { return increment_; }
    void SetMinValue(int v) { min_ = v; }
    void SetMaxValue(int v) { max_ = v; }
    void SetIncrement(int v) { increment_ = v; }
    // Typing allowed (arrows always work unless read-only).
    void SetEditorEnabled(bool enabled);
    bool EditorEnabled() const { return editorEnabled_; }
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return readOnly_; }
    QLineEdit* Editor() const { return edit_; }
    ArrowButtons* Arrows() const { return arrows_; }

    // The arrow actions (also Up and Down keys in the editor).
    void StepUp();
    void StepDown();

signals:
    // The text changed by the user: typing, an arrow, or clamping on leaving.
    void UserChanged();
    // Enter pressed or the field left (after clamping).
    void EditingFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Clamp(int v) const;
    void Step(int sign);
    void UpdateEditorReadOnly();
    QLineEdit* edit_;
    ArrowButtons* arrows_ = nullptr;
    int min_ = 0, max_ = 0, increment_ = 1;
    bool editorEnabled_ = true;
    bool readOnly_ = false;
};

// Handles the keys of a spin field's editor; shared by both spin fields.
// Returns true when the event was consumed. `step` is called with +1/-1.
bool HandleSpinKey(QKeyEvent* event, bool editorEnabled, bool readOnly,
                   const std::function<void(int)>& step, const std::function<void()>& enter);

}  // namespace common::ui
