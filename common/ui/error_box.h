#pragma once
// The single place where failures of user actions are shown. Every event
// handler runs its work through Guarded so no exception crosses Qt's loop.
#include <QString>
#include <exception>
#include <utility>

class QWidget;

namespace common::ui {

// The title every error box carries ("VF simulation", ...).
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// Shows `message` in the error box (title, error sign, full stop rule).
void ShowErrorBox(QWidget* parent, const QString& message);

// Runs `work`; an exception is shown in the error box. Returns false when
// the work failed.
template <class Work>
bool Guarded(QWidget* parent, Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
        return true;
    } catch (const std::exception& e) {
        ShowErrorBox(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorBox(parent, QStringLiteral("Unknown error"));
    }
    return false;
}

}  // namespace common::ui
