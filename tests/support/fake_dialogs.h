#pragma once
// A DialogService that records every question and answers from queues set
// by the test; installed for the lifetime of the object.
#include "common/ui/dialogs.h"

#include <QDialog>
#include <QPoint>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <optional>
#include <vector>

namespace testing_support {

class FakeDialogs : public common::ui::DialogService {
public:
    struct FileQuestion {
        QString title, filter, proposedName;
    };
    FakeDialogs() { common::ui::SetDialogs(this); }
    ~FakeDialogs() override { common::ui::SetDialogs(nullptr); }

    // Answers for the next file dialogs; an empty queue answers "cancel".
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::vector<FileQuestion> openQuestions, saveQuestions;
    QStringList errors;  // messages of error boxes, in order
    QStringList errorTitles;
    std::vector<QWidget*> errorParents;
    std::vector<QPoint> errorCentres;  // centre of the parent's window, at the time
    int modalRuns = 0;
    int modalResult = QDialog::Accepted;

    std::optional<QString> OpenFileName(QWidget*, const QString& title,
                                        const QString& filter) override {
        openQuestions.push_back({title, filter, {}});
        return Next(openAnswers);
    }
    std::optional<QString> SaveFileName(QWidget*, const QString& title, const QString& filter,
                                        const QString& proposedName) override {
        saveQuestions.push_back({title, filter, proposedName});
        return Next(saveAnswers);
    }
    void ShowError(QWidget* parent, const QString& title, const QString& message) override {
        errorTitles << title;
        errors << message;
        errorParents.push_back(parent);
        // Where a real box would stand: centred over its parent's window.
        errorCentres.push_back(parent ? parent->window()->geometry().center() : QPoint());
    }
    int RunModal(QDialog&) override {
        ++modalRuns;
        return modalResult;
    }

private:
    static std::optional<QString> Next(std::deque<std::optional<QString>>& queue) {
        if (queue.empty()) return std::nullopt;
        auto answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

}  // namespace testing_support
