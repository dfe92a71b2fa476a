#pragma once
// Myogrid's windows, created in the order the program starts them.
#include <memory>
#include <string>

#include "myogrid/engine/parameter_table.h"

namespace myogrid {

class ProcessStarter;
class IllusionWindow;
class ModelWindow;
class Launcher;

struct MyogridWindows {
    MyogridWindows();
    ~MyogridWindows();
    // Members are destroyed in reverse order: the model window, which uses
    // the launcher's parameter table, goes first.
    std::unique_ptr<Launcher> launcher;
    std::unique_ptr<IllusionWindow> illusion;
    std::unique_ptr<ModelWindow> model;
};

// Sets the application title, creates the launcher (which reads the
// parameter file, "Myogrid.par" unless another is named, and may ask for the
// browser and the book), then the illusion and the model window, hidden, and
// joins them. Nothing is shown.
std::unique_ptr<MyogridWindows> CreateMyogridWindows(
    ProcessStarter* starter = nullptr, const std::string& parameterFile = kParameterFileName);

}  // namespace myogrid
