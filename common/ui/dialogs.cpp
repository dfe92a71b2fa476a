#include "common/ui/dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>
#include <algorithm>

namespace common::ui {
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
        bool ok = false;
        const int chosen =
            QInputDialog::getInt(parent, title, label, value, minimum, maximum, 1, &ok);
        if (!ok) return std::nullopt;
        return chosen;
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
