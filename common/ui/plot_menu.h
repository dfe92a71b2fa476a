#pragma once
// The context menu of a plot (right button, or the Menu key while the plot
// has the focus): "Copy picture" puts the picture in full colour on the
// clipboard, "Save picture…" writes it as PNG (at a chosen whole-number
// scale), SVG or BMP, "Copy data" puts the values behind the plot on the
// clipboard as tab-separated text, "Save data…" writes them as CSV or in a
// further format the plot offers. Every question goes through Dialogs();
// every failure is shown in the error box, and a failed save leaves an
// existing file as it was.
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "common/plot_export.h"
#include "common/plot_surface.h"

class QAction;
class QMenu;

namespace common::ui {

class PlotView;

inline constexpr const char* kCopyPictureText = "Copy picture";
inline constexpr const char* kSavePictureText = "Save picture\u2026";
inline constexpr const char* kCopyDataText = "Copy data";
inline constexpr const char* kSaveDataText = "Save data\u2026";

// A further file format for a plot's data (a biosignal file, say).
struct DataFileFormat {
    QString description;  // shown in the file dialog's filter
    QString extension;    // without the dot
    // Writes the file, replacing `path` atomically; throws AppError.
    std::function<void(const std::string& path)> save;
};

struct PlotExport {
    QString name;  // proposed file names: name.png, name.csv
    std::function<const PlotSurface&()> picture;
    // The values behind the plot; without it the menu offers no data.
    std::function<DataTable()> data;
    std::vector<DataFileFormat> dataFormats;  // besides CSV
};

class PlotMenu : public QObject {
    Q_OBJECT
public:
    // Gives `view` its context menu; owned by the view.
    PlotMenu(PlotView* view, PlotExport source);

    QMenu* Menu() const { return menu_; }
    // For a view that shows this plot only at times: the menu is offered
    // only while `offered` says so (without it, always).
    void OfferOnlyWhile(std::function<bool()> offered) { offered_ = std::move(offered); }
    bool Offered() const { return !offered_ || offered_(); }
    // Shows the menu at `position` (view coordinates) without waiting for it.
    void Popup(const QPoint& position);

    // What the entries do; each reports its failure in the error box.
    void CopyPicture();
    void SavePicture();
    void CopyData();
    void SaveData();

private:
    PlotView* view_;
    PlotExport source_;
    QMenu* menu_;
    std::function<bool()> offered_;
};

PlotMenu* AttachPlotMenu(PlotView* view, PlotExport source);

}  // namespace common::ui
