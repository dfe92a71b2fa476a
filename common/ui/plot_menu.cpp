#include "common/ui/plot_menu.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

#include "common/errors.h"
#include "common/number_format.h"
#include "common/ui/dialogs.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"

namespace common::ui {
namespace {

constexpr PictureFormat kPictureFormats[] = {PictureFormat::Png, PictureFormat::Svg,
                                             PictureFormat::Bmp};
constexpr const char* kPictureFilter = "PNG image|*.png|SVG drawing|*.svg|bitmap|*.bmp";
constexpr const char* kCsvFilter = "CSV table|*.csv";
// A million rows are some 30 MB of text, 60 MB on the clipboard.
constexpr std::size_t kMaxCopiedRows = 1000000;

QClipboard& Clipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) throw AppError(kCannotOpenClipboard);
    return *clipboard;
}

QString Suffix(const QString& path) { return QFileInfo(path).suffix().toLower(); }

}  // namespace

PlotMenu::PlotMenu(PlotView* view, PlotExport source)
    : QObject(view), view_(view), source_(std::move(source)), menu_(new QMenu(view)) {
    menu_->setObjectName(QStringLiteral("plotMenu"));
    menu_->addAction(QString::fromUtf8(kCopyPictureText), this, &PlotMenu::CopyPicture);
    menu_->addAction(QString::fromUtf8(kSavePictureText), this, &PlotMenu::SavePicture);
    if (source_.data) {
        menu_->addSeparator();
        menu_->addAction(QString::fromUtf8(kCopyDataText), this, &PlotMenu::CopyData);
        menu_->addAction(QString::fromUtf8(kSaveDataText), this, &PlotMenu::SaveData);
    }
    // The right button and the Menu key both ask for it; the Menu key only
    // reaches a plot that has the focus, which a click gives it.
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setFocusPolicy(Qt::ClickFocus);
    connect(view, &QWidget::customContextMenuRequested, this, &PlotMenu::Popup);
}

void PlotMenu::Popup(const QPoint& position) {
    if (Offered()) menu_->popup(view_->mapToGlobal(position));
}

void PlotMenu::CopyPicture() {
    Guarded(view_, [&] { Clipboard().setImage(source_.picture().Image()); });
}

void PlotMenu::SavePicture() {
    Guarded(view_, [&] {
        int chosen = 0;
        const std::optional<QString> answer = Dialogs().SaveFileNameAndFilter(
            view_->window(), QStringLiteral("Save picture"), QString::fromLatin1(kPictureFilter),
            source_.name + QStringLiteral(".png"), chosen);
        if (!answer || answer->isEmpty()) return;
        QString path = *answer;
        // A known extension decides; otherwise the chosen filter, whose
        // extension is added.
        std::optional<PictureFormat> format = PictureFormatNamed(Suffix(path).toStdString());
        if (!format) {
            format = kPictureFormats[chosen >= 0 && chosen < 3 ? chosen : 0];
            path += QStringLiteral(".") + QString::fromStdString(ExtensionOf(*format));
        }
        int scale = 1;
        if (*format == PictureFormat::Png) {
            const std::optional<int> asked = Dialogs().AskInteger(
                view_->window(), QStringLiteral("Save picture"), QStringLiteral("Scale (1 to 8):"),
                1, kMinPictureScale, kMaxPictureScale);
            if (!asked) return;
            scale = *asked;
        }
        common::SavePicture(source_.picture(), path.toStdString(), *format, scale);
    });
}

void PlotMenu::CopyData() {
    if (!source_.data) return;
    Guarded(view_, [&] {
        const DataTable table = source_.data();
        // Millions of rows would take the clipboard gigabytes; a file takes
        // them row by row.
        const std::size_t rowCount = table.rows.size() + table.madeRowCount;
        if (rowCount > kMaxCopiedRows)
            throw AppError("The table has " + IntToText(static_cast<std::int64_t>(rowCount)) +
                           " rows, too many to copy; save it as a file instead");
        const QString text = QString::fromStdString(TabSeparatedText(table));
        Clipboard().setText(text);
    });
}

void PlotMenu::SaveData() {
    if (!source_.data) return;
    Guarded(view_, [&] {
        QString filter = QString::fromLatin1(kCsvFilter);
        for (const DataFileFormat& f : source_.dataFormats)
            filter += QStringLiteral("|%1|*.%2").arg(f.description, f.extension);
        int chosen = 0;
        const std::optional<QString> answer =
            Dialogs().SaveFileNameAndFilter(view_->window(), QStringLiteral("Save data"), filter,
                                            source_.name + QStringLiteral(".csv"), chosen);
        if (!answer || answer->isEmpty()) return;
        QString path = *answer;
        const QString suffix = Suffix(path);
        const DataFileFormat* other = nullptr;
        bool csv = suffix == QStringLiteral("csv");
        for (const DataFileFormat& f : source_.dataFormats)
            if (suffix == f.extension.toLower()) other = &f;
        if (!csv && !other) {
            // No known extension: the chosen filter's is added.
            const auto index = static_cast<std::size_t>(chosen);
            if (chosen >= 1 && index - 1 < source_.dataFormats.size()) {
                other = &source_.dataFormats[index - 1];
                path += QStringLiteral(".") + other->extension;
            } else {
                csv = true;
                path += QStringLiteral(".csv");
            }
        }
        if (other)
            other->save(path.toStdString());
        else
            SaveCsv(source_.data(), path.toStdString());
    });
}

PlotMenu* AttachPlotMenu(PlotView* view, PlotExport source) {
    return new PlotMenu(view, std::move(source));
}

}  // namespace common::ui
