#include "common/ui/error_box.h"

#include "common/errors.h"
#include "common/ui/dialogs.h"

namespace common::ui {
namespace {
QString& Title() {
    static QString title;
    return title;
}
}  // namespace

void SetApplicationTitle(const QString& title) { Title() = title; }

QString ApplicationTitle() { return Title(); }

void ShowErrorBox(QWidget* parent, const QString& message) {
    const QString shown = QString::fromStdString(common::WithFullStop(message.toStdString()));
    try {
        Dialogs().ShowError(parent, ApplicationTitle(), shown);
    } catch (...) {
        // Reporting must never throw into the event loop.
    }
}

}  // namespace common::ui
