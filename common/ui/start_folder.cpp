#include "common/ui/start_folder.h"

#include <iostream>

#include "common/errors.h"
#include "common/program_folders.h"
#include "common/ui/error_box.h"

namespace common::ui {

bool EnterStartFolder(const WindowProgramArguments& arguments, const std::string& program) {
    if (!arguments.userFolderGiven) return true;
    try {
        EnterWorkingFolder(arguments.userFolder.empty() ? UserDataFolder(program)
                                                        : arguments.userFolder);
    } catch (const AppError& e) {
        std::cerr << program << ": " << PrintableText(e.Message()) << "\n";
        ShowErrorBox(nullptr, QString::fromStdString(e.Message()));
        return false;
    }
    return true;
}

}  // namespace common::ui
