#include "common/ui/plot_view.h"

#include "common/errors.h"
#include "common/plot_surface.h"

#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace common::ui {

namespace {

int Magnification(qreal ratio) { return std::max(1, static_cast<int>(std::floor(ratio + 1e-9))); }

}  // namespace

PlotView::PlotView(int width, int height, QWidget* parent) : QWidget(parent) {
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotView::SetImage(const QImage& image) {
    image_ = image;
    update();
}

void PlotView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (image_.isNull()) return;
    if (stretched_) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(rect(), image_);
        return;
    }
    // Whole-number magnification only, so plot pixels stay sharp.
    const qreal ratio = devicePixelRatioF();
    const int factor = Magnification(ratio);
    const QSizeF logical(image_.width() * factor / ratio, image_.height() * factor / ratio);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRectF(QPointF(0, 0), logical), image_);
}

QPoint PlotView::ImagePixelAt(const QPointF& position) const {
    // An image pixel covers factor / ratio logical pixels.
    const qreal ratio = devicePixelRatioF();
    const qreal scale = ratio / Magnification(ratio);
    return QPoint(static_cast<int>(std::floor(position.x() * scale)),
                  static_cast<int>(std::floor(position.y() * scale)));
}

void PlotView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit Clicked();
    QWidget::mousePressEvent(event);
}

void PlotView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit Clicked();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void CopyPlotAsMask(const QImage& image, int backgroundRed, int backgroundGreen,
                    int backgroundBlue) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) throw common::AppError(common::kCannotOpenClipboard);
    clipboard->setImage(image);
    QImage copy = clipboard->image();
    if (copy.isNull()) copy = image;  // a clipboard that keeps no pictures
    clipboard->setImage(
        common::MaskOfImage(copy, common::Rgb{backgroundRed, backgroundGreen, backgroundBlue}));
}

void LoadProgramFonts() { common::LoadPlotFonts(); }

}  // namespace common::ui
