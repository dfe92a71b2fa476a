#pragma once
// What the integer and the real spin field share: a line edit with the
// up/down arrow pair inside its right edge, the key filter, the arrow and
// Up/Down key steps, clamping when the field is left, and the signals that
// report the user's edits only. The text is the only state; the derived
// field reads and writes its number in it.
#include <QWidget>
#include <functional>

#include "common/ui/spin_arrows.h"

class QLineEdit;
class QKeyEvent;

namespace common::ui {

// The key filter both spin fields share: '+', '-', digits, the decimal point
// ("." or ",", which real fields read alike) and control characters other
// than Enter (Delete's 127 included) are accepted; with the editor disabled
// printable characters, Backspace and Delete are refused as well.
bool SpinAcceptsChar(QChar c, bool editorEnabled);

// Handles the keys of a spin field's editor. Returns true when the event was
// consumed. `step` is called with +1/-1.
bool HandleSpinKey(QKeyEvent* event, bool editorEnabled, bool readOnly,
                   const std::function<void(int)>& step, const std::function<void()>& enter);

class SpinEditBase : public QWidget {
    Q_OBJECT
public:
    QString Text() const;
    void SetText(const QString& text);  // shows the text as it is; emits nothing

    // Typing allowed (arrows always work unless read-only).
    void SetEditorEnabled(bool enabled);
    bool EditorEnabled() const { return editorEnabled_; }
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return readOnly_; }
    // When editing ends (Enter or leaving), the text becomes the value in
    // use: "-", "" or "1.2.3" no longer stand for a minimum silently.
    void SetShowsValueInUse(bool shows) { showsValueInUse_ = shows; }
    QLineEdit* Editor() const { return edit_; }
    ArrowButtons* Arrows() const { return arrows_; }

    // The arrow actions (also Up and Down keys in the editor); a read-only
    // field beeps instead.
    void StepUp() { Step(1); }
    void StepDown() { Step(-1); }

signals:
    // The text changed by the user: typing, an arrow, or clamping on leaving.
    void UserChanged();
    // Enter pressed or the field left (after clamping).
    void EditingFinished();

protected:
    explicit SpinEditBase(QWidget* parent);

    // Writes the value one increment up (+1) or down (-1) from the text.
    virtual void WriteStepped(int sign) = 0;
    // Writes the clamped value when the text holds one outside the range;
    // returns whether it did.
    virtual bool ClampShownValue() = 0;
    // Writes the value in use (what Value() reads, clamped) when the text
    // is no number as it stands; returns whether it did.
    virtual bool ShowValueInUse() = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Step(int sign);
    void UpdateEditorReadOnly();
    // Enter or leaving the field.
    void FinishEditing(bool clamp);

    QLineEdit* edit_;
    ArrowButtons* arrows_;
    bool editorEnabled_ = true;
    bool readOnly_ = false;
    bool showsValueInUse_ = false;
};

}  // namespace common::ui
