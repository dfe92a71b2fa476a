#pragma once
// Shows a plot image unscaled (magnified by a whole number on high-density
// screens, without smoothing) and reports mouse clicks.
#include <QImage>
#include <QWidget>

namespace common::ui {

class PlotView : public QWidget {
    Q_OBJECT
public:
    PlotView(int width, int height, QWidget* parent = nullptr);
    void SetImage(const QImage& image);
    const QImage& Image() const { return image_; }
    // Optional: draw the image stretched to the widget (book figures).
    void SetStretched(bool stretched) {
        stretched_ = stretched;
        update();
    }
    // The image pixel shown at `position` (widget coordinates) of an
    // unstretched view; it may lie outside the image.
    QPoint ImagePixelAt(const QPointF& position) const;

signals:
    // A left click, or Space or Enter while the plot has the focus.
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage image_;
    bool stretched_ = false;
};

// Puts `image` on the clipboard, reads it back and replaces it with its
// black-on-white mask (pixels of `background` white, the rest black).
// Throws AppError("Cannot open clipboard") when the clipboard is unusable.
void CopyPlotAsMask(const QImage& image, int backgroundRed, int backgroundGreen,
                    int backgroundBlue);

// Loads the programs' fonts (Liberation Serif/Sans) from the system's font
// files so the look does not depend on the user's font settings.
void LoadProgramFonts();

}  // namespace common::ui
