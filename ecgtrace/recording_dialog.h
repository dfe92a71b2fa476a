#pragma once
// The choice of a recording's channel and start: the channels with label,
// rate and unit, and the start in seconds with the recording's length shown.
#include <QDialog>
#include <cstddef>

#include "ecgtrace/model/recording.h"

class QLineEdit;
class QListWidget;

namespace ecgtrace {

class RecordingDialog : public QDialog {
    Q_OBJECT
public:
    explicit RecordingDialog(const RecordingInfo& info, QWidget* parent = nullptr);

    // The channel chosen (0-based); the first signal channel at first.
    std::size_t Channel() const;
    // The start typed; throws AppError for a text that is no number.
    double StartSeconds() const;

    QListWidget* ChannelList() const { return channels_; }
    QLineEdit* StartField() const { return start_; }

private:
    QListWidget* channels_ = nullptr;
    QLineEdit* start_ = nullptr;
};

}  // namespace ecgtrace
