#pragma once
// The batch tool draws its pictures with the plot fonts: a GUI application
// without windows, whose platform notes (a missing runtime folder, say) are
// not printed. Lives as long as the pictures are drawn.
#include <QGuiApplication>
#include <memory>

namespace ecgtrace {

class OffscreenDrawing {
public:
    explicit OffscreenDrawing(char* programName);
    OffscreenDrawing(const OffscreenDrawing&) = delete;
    OffscreenDrawing& operator=(const OffscreenDrawing&) = delete;

private:
    int argc_ = 1;
    char* argv_[2] = {nullptr, nullptr};
    std::unique_ptr<QGuiApplication> application_;
};

}  // namespace ecgtrace
