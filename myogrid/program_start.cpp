#include "myogrid/program_start.h"

#include "common/ui/error_box.h"
#include "myogrid/illusion.h"
#include "myogrid/topolt.h"
#include "myogrid/vfmain.h"

namespace myogrid {

MyogridWindows::MyogridWindows() = default;
MyogridWindows::~MyogridWindows() = default;

std::unique_ptr<MyogridWindows> CreateMyogridWindows(ProcessStarter* starter) {
    common::ui::SetApplicationTitle(QString::fromLatin1(kApplicationTitle));
    auto windows = std::make_unique<MyogridWindows>();
    windows->launcher = std::make_unique<TMainForm>(starter);
    if (windows->launcher->MustClose()) return nullptr;
    windows->illusion = std::make_unique<TFormIllusion>();
    windows->launcher->SetIllusionWindow(windows->illusion.get());
    windows->model = std::make_unique<TFormTopolt>(windows->launcher->Table());
    TFormTopolt* model = windows->model.get();
    TMainForm* launcher = windows->launcher.get();
    windows->launcher->SetModelOpener([model, launcher](const QString& title, ModelKind kind) {
        model->OpenAndShow(title, kind, launcher);
    });
    return windows;
}

}  // namespace myogrid
