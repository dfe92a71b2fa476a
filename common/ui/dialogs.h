#pragma once
// Every modal question of the programs goes through DialogService, so tests
// can answer it without a dialog ever blocking.
#include <QDialog>
#include <QString>
#include <optional>

class QWidget;

namespace common::ui {

class BoundedSpin;

// The box behind the real AskInteger. Its field takes every digit typed, so
// a keystroke is never dropped unseen; OK on a number outside the range
// puts the nearest limit in the field and beeps instead of closing.
class IntegerQuestion : public QDialog {
    Q_OBJECT
public:
    IntegerQuestion(QWidget* parent, const QString& title, const QString& label, int value,
                    int minimum, int maximum);
    QWidget* Field() const;  // the field, for typing into it
    QString Text() const;    // what the field shows
    int Value() const;       // the value accepted
    void accept() override;

private:
    BoundedSpin* field_;
    int minimum_, maximum_;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // File dialogs: the chosen path, or nothing when the user cancelled.
    // `filter` is written "description|pattern" (e.g. "bitmap|*.BMP"); empty
    // means no filter.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& title,
                                                const QString& filter) = 0;
    virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& title,
                                                const QString& filter,
                                                const QString& proposedName) = 0;
    // The same with several filters ("PNG image|*.png|SVG drawing|*.svg"):
    // `chosenFilter` tells which pair the user chose (0 for the first).
    virtual std::optional<QString> SaveFileNameAndFilter(QWidget* parent, const QString& title,
                                                         const QString& filter,
                                                         const QString& proposedName,
                                                         int& chosenFilter) = 0;
    // Asks for a whole number from `minimum` to `maximum`, proposing
    // `value`; nothing when the user cancelled.
    virtual std::optional<int> AskInteger(QWidget* parent, const QString& title,
                                          const QString& label, int value, int minimum,
                                          int maximum) = 0;
    // A message box with an error sign and one "OK" button.
    virtual void ShowError(QWidget* parent, const QString& title, const QString& message) = 0;
    // Runs a dialog modally; returns its result code.
    virtual int RunModal(QDialog& dialog) = 0;
};

// The service in use: the real dialogs unless a test installed another one.
DialogService& Dialogs();
// Installs `service` (nullptr restores the real dialogs); not owned.
void SetDialogs(DialogService* service);

// True when `chosen` is the file `proposedName` (relative to the working
// folder) names: saving over it asks no overwrite question.
bool IsProposedFile(const QString& chosen, const QString& proposedName);

// "bitmap|*.BMP" -> "bitmap (*.BMP)"; several pairs are joined with ";;".
QString QtFilterFromPairs(const QString& filter);

}  // namespace common::ui
