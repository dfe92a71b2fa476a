#include "myogrid/program_start.h"

#include "common/ui/error_box.h"
#include "myogrid/illusion_window.h"
#include "myogrid/model_window.h"
#include "myogrid/launcher.h"
#include "myogrid/program_icon.h"

#include <QApplication>

namespace myogrid {

MyogridWindows::MyogridWindows() = default;
MyogridWindows::~MyogridWindows() = default;

std::unique_ptr<MyogridWindows> CreateMyogridWindows(ProcessStarter* starter,
                                                     const std::string& parameterFile) {
    common::ui::SetApplicationTitle(QString::fromLatin1(kApplicationTitle));
    // Every window and box of the program carries its icon.
    QApplication::setWindowIcon(ProgramIcon());
    auto windows = std::make_unique<MyogridWindows>();
    windows->launcher = std::make_unique<Launcher>(starter, nullptr, parameterFile);
    windows->illusion = std::make_unique<IllusionWindow>();
    windows->launcher->SetIllusionWindow(windows->illusion.get());
    windows->model = std::make_unique<ModelWindow>(windows->launcher->Table());
    ModelWindow* model = windows->model.get();
    Launcher* launcher = windows->launcher.get();
    windows->launcher->SetModelOpener([model, launcher](const QString& title, ModelKind kind) {
        model->OpenAndShow(title, kind, launcher);
    });
    return windows;
}

}  // namespace myogrid
