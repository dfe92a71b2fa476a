#include "ecgtrace/up_down.h"

#include "common/ui/spin_arrows.h"

#include <QVBoxLayout>
#include <algorithm>

namespace ecgtrace {

TUpDown::TUpDown(QWidget* parent) : QWidget(parent), arrows_(new common::ui::ArrowButtons(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(arrows_);
    connect(arrows_, &common::ui::ArrowButtons::UpClick, this, [this] { Click(1); });
    connect(arrows_, &common::ui::ArrowButtons::DownClick, this, [this] { Click(-1); });
}

void TUpDown::SetPosition(int position) { position_ = std::clamp(position, min_, max_); }

void TUpDown::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
}

void TUpDown::Click(int sign) {
    const long long next = static_cast<long long>(position_) + static_cast<long long>(sign) * increment_;
    position_ = static_cast<int>(std::clamp<long long>(next, min_, max_));
    emit Clicked();
}

}  // namespace ecgtrace
