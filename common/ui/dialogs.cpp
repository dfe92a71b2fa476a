#include "common/ui/dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace common::ui {

// A spin box that takes any number typed; its arrows stay within the range.
class BoundedSpin : public QSpinBox {
public:
    BoundedSpin(QWidget* parent, int minimum, int maximum)
        : QSpinBox(parent), minimum_(minimum), maximum_(maximum) {
        setRange(std::min(minimum, 0), std::numeric_limits<int>::max());
        if (minimum < 0) setMinimum(std::numeric_limits<int>::min());
    }
    void stepBy(int steps) override {
        const long long next = static_cast<long long>(value()) + steps;
        setValue(static_cast<int>(std::clamp<long long>(next, minimum_, maximum_)));
        selectAll();
    }

protected:
    StepEnabled stepEnabled() const override {
        StepEnabled enabled = StepNone;
        if (value() < maximum_) enabled |= StepUpEnabled;
        if (value() > minimum_) enabled |= StepDownEnabled;
        return enabled;
    }

private:
    int minimum_, maximum_;
};

IntegerQuestion::IntegerQuestion(QWidget* parent, const QString& title, const QString& label,
                                 int value, int minimum, int maximum)
    : QDialog(parent),
      field_(new BoundedSpin(this, minimum, std::max(minimum, maximum))),
      minimum_(minimum),
      maximum_(std::max(minimum, maximum)) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(label, this);
    caption->setBuddy(field_);
    layout->addWidget(caption);
    field_->setValue(std::clamp(value, minimum_, maximum_));
    field_->selectAll();
    layout->addWidget(field_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &IntegerQuestion::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IntegerQuestion::reject);
    layout->addWidget(buttons);
    field_->setFocus();
}

QWidget* IntegerQuestion::Field() const { return field_; }

QString IntegerQuestion::Text() const { return field_->text(); }

int IntegerQuestion::Value() const { return field_->value(); }

void IntegerQuestion::accept() {
    field_->interpretText();
    const int value = field_->value();
    const int limited = std::clamp(value, minimum_, maximum_);
    if (limited != value) {
        // Shown, not taken: the user sees the limit and confirms it.
        field_->setValue(limited);
        field_->selectAll();
        QApplication::beep();
        return;
    }
    QDialog::accept();
}

namespace {

class QtDialogService : public DialogService {
public:
    std::optional<QString> OpenFileName(QWidget* parent, const QString& title,
                                        const QString& filter) override {
        const QString path =
            QFileDialog::getOpenFileName(parent, title, QString(), QtFilterFromPairs(filter));
        if (path.isEmpty()) return std::nullopt;
        return QFileInfo(path).absoluteFilePath();
    }
    std::optional<QString> SaveFileName(QWidget* parent, const QString& title,
                                        const QString& filter,
                                        const QString& proposedName) override {
        int chosen = 0;
        return SaveFileNameAndFilter(parent, title, filter, proposedName, chosen);
    }
    std::optional<QString> SaveFileNameAndFilter(QWidget* parent, const QString& title,
                                                 const QString& filter, const QString& proposedName,
                                                 int& chosenFilter) override {
        const QString qtFilter = QtFilterFromPairs(filter);
        const QStringList filters = qtFilter.split(QStringLiteral(";;"));
        QString selected = filters.value(chosenFilter);
        QString start = proposedName;
        for (;;) {
            const QString path = QFileDialog::getSaveFileName(
                parent, title, start, qtFilter, &selected, QFileDialog::DontConfirmOverwrite);
            chosenFilter = std::max(0, static_cast<int>(filters.indexOf(selected)));
            if (path.isEmpty()) return std::nullopt;
            // The file the program proposed is its own to replace; another
            // existing file is asked about, and "No" chooses again.
            if (!QFileInfo::exists(path) || IsProposedFile(path, proposedName)) return path;
            const QString question =
                QStringLiteral("%1 already exists.\nDo you want to replace it?")
                    .arg(QFileInfo(path).fileName());
            if (QMessageBox::question(parent, title, question) == QMessageBox::Yes) return path;
            start = path;
        }
    }
    std::optional<int> AskInteger(QWidget* parent, const QString& title, const QString& label,
                                  int value, int minimum, int maximum) override {
        IntegerQuestion question(parent, title, label, value, minimum, maximum);
        if (question.exec() != QDialog::Accepted) return std::nullopt;
        return question.Value();
    }
    void ShowError(QWidget* parent, const QString& title, const QString& message) override {
        QMessageBox box(QMessageBox::Critical, title, message, QMessageBox::Ok, parent);
        box.exec();
    }
    int RunModal(QDialog& dialog) override { return dialog.exec(); }
};

QtDialogService& RealDialogs() {
    static QtDialogService service;
    return service;
}

DialogService* installed = nullptr;

}  // namespace

DialogService& Dialogs() { return installed ? *installed : RealDialogs(); }

void SetDialogs(DialogService* service) { installed = service; }

bool IsProposedFile(const QString& chosen, const QString& proposedName) {
    if (proposedName.isEmpty()) return false;
    return QFileInfo(chosen).absoluteFilePath() == QFileInfo(proposedName).absoluteFilePath();
}

QString QtFilterFromPairs(const QString& filter) {
    if (filter.isEmpty()) return {};
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries << QStringLiteral("%1 (%2)").arg(
            parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return entries.join(QStringLiteral(";;"));
}

}  // namespace common::ui
