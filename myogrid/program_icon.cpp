#include "myogrid/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <array>

namespace myogrid {

namespace {

// One visible face of the block: the map of its 3 x 3 unit grid onto the
// 256 x 256 picture and the colour of each cell, row by row.
struct Face {
    QTransform toPicture;
    std::array<QRgb, 9> cells;
};

const std::array<Face, 3>& Faces() {
    static const std::array<Face, 3> faces{{
        {QTransform(30, 17.333, -30, 17.333, 128, 24),
         {0xb9cde0, 0xb9cde0, 0xff8a3d, 0xb9cde0, 0xff8a3d, 0xffd166, 0xff8a3d, 0xffd166,
          0xb9cde0}},
        {QTransform(30, 17.333, 0, 34.667, 38, 76),
         {0x7f9bb8, 0xe8552d, 0xe0a93f, 0xe8552d, 0xe0a93f, 0x7f9bb8, 0xe0a93f, 0x7f9bb8,
          0x7f9bb8}},
        {QTransform(30, -17.333, 0, 34.667, 128, 128),
         {0xbf6a22, 0x556f8c, 0x556f8c, 0x556f8c, 0x556f8c, 0xbf6a22, 0x556f8c, 0xbf6a22,
          0xb84a2a}},
    }};
    return faces;
}

}  // namespace

QPixmap ProgramIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QTransform toPixmap = QTransform::fromScale(size / 256.0, size / 256.0);

    // The dark hexagon the three faces sit on.
    QPainterPath outline;
    outline.moveTo(128, 20);
    for (const QPointF corner : {QPointF(222, 74), QPointF(222, 184), QPointF(128, 238),
                                 QPointF(34, 184), QPointF(34, 74)})
        outline.lineTo(corner);
    outline.closeSubpath();
    const QColor dark(0x1e, 0x2a, 0x3a);
    p.setTransform(toPixmap);
    p.setPen(QPen(dark, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(dark);
    p.drawPath(outline);

    p.setPen(Qt::NoPen);
    for (const Face& face : Faces()) {
        p.setTransform(face.toPicture * toPixmap);
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                p.fillRect(QRectF(column + 0.08, row + 0.08, 0.84, 0.84),
                           QColor(face.cells[static_cast<std::size_t>(row * 3 + column)]));
    }
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(ProgramIconPixmap(size));
    return icon;
}

}  // namespace myogrid
