#include "ecgtrace/recording_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "common/errors.h"
#include "common/number_format.h"

namespace ecgtrace {

RecordingDialog::RecordingDialog(const RecordingInfo& info, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("recordingDialog"));
    setWindowTitle(QStringLiteral("recording"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(RecordingName(info.file)), this));
    layout->addWidget(new QLabel(QStringLiteral("channel (label, sampling rate, unit):"), this));
    channels_ = new QListWidget(this);
    channels_->setObjectName(QStringLiteral("recordingChannels"));
    std::optional<int> first;
    for (std::size_t i = 0; i < info.channels.size(); ++i) {
        const RecordingChannel& c = info.channels[i];
        const QString text = QStringLiteral("%1  %2  %3 Hz  %4")
                                 .arg(static_cast<int>(i + 1))
                                 .arg(QString::fromStdString(c.label),
                                      QString::fromStdString(common::FormatGeneral(c.rateHz, 6)),
                                      QString::fromStdString(c.unit));
        auto* item = new QListWidgetItem(text, channels_);
        if (c.annotation)
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
        else if (!first)
            first = static_cast<int>(i);
    }
    channels_->setCurrentRow(first.value_or(0));
    layout->addWidget(channels_);
    layout->addWidget(
        new QLabel(QStringLiteral("start in seconds (the recording lasts %1 s; 28 s are analysed):")
                       .arg(QString::fromStdString(common::FormatGeneral(info.seconds, 6))),
                   this));
    start_ = new QLineEdit(QStringLiteral("0"), this);
    start_->setObjectName(QStringLiteral("recordingStart"));
    layout->addWidget(start_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::size_t RecordingDialog::Channel() const {
    return static_cast<std::size_t>(std::max(0, channels_->currentRow()));
}

double RecordingDialog::StartSeconds() const {
    const std::string text = start_->text().trimmed().toStdString();
    double value = 0.0;
    if (!common::TryParseFloat(text, value))
        throw common::AppError(common::NotValidFloatMessage(text));
    return value;
}

}  // namespace ecgtrace
