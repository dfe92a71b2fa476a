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
    struct IntegerQuestion {
        QString title, label;
        int value, minimum, maximum;
    };
    FakeDialogs() { common::ui::SetDialogs(this); }
    ~FakeDialogs() override { common::ui::SetDialogs(nullptr); }

    // Answers for the next file dialogs; an empty queue answers "cancel".
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::vector<FileQuestion> openQuestions, saveQuestions;
    // The filter chosen with each answer of SaveFileNameAndFilter; an empty
    // queue leaves the one the program proposed.
    std::deque<int> saveFilterAnswers;
    // Answers for AskInteger; an empty queue answers "cancel".
    std::deque<std::optional<int>> integerAnswers;
    std::vector<IntegerQuestion> integerQuestions;
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
    std::optional<QString> SaveFileNameAndFilter(QWidget* parent, const QString& title,
                                                 const QString& filter, const QString& proposedName,
                                                 int& chosenFilter) override {
        if (!saveFilterAnswers.empty()) {
            chosenFilter = saveFilterAnswers.front();
            saveFilterAnswers.pop_front();
        }
        return SaveFileName(parent, title, filter, proposedName);
    }
    std::optional<int> AskInteger(QWidget*, const QString& title, const QString& label, int value,
                                  int minimum, int maximum) override {
        integerQuestions.push_back({title, label, value, minimum, maximum});
        if (integerAnswers.empty()) return std::nullopt;
        const std::optional<int> answer = integerAnswers.front();
        integerAnswers.pop_front();
        return answer;
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
