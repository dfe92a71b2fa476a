#pragma once
// The drawing operations that made a plot surface's picture, kept so the
// picture can be drawn again onto any painter (a vector drawing, say).
//
// The record stays bounded however long a picture is drawn on:
// - an opaque rectangle over the whole surface starts the record afresh;
// - an opaque rectangle removes what it paints over entirely (parts of
//   lines included);
// - a dot, rectangle, pixel or text with the same place and size as an
//   earlier one replaces it; a dot or pixel that nothing drawn since
//   overlaps is changed where it stands (a live view redraws thousands of
//   dots a step, and this keeps that nearly free);
// - beyond kMaxOperations operations or kMaxPoints line points the record
//   is given up (Complete() turns false) until the surface is covered
//   whole again; the picture then exists only as pixels.
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace common {

struct Rgb;

class DrawingRecord {
public:
    static constexpr std::size_t kMaxOperations = 100000;
    static constexpr std::size_t kMaxPoints = 2000000;

    enum class Kind : std::uint8_t { Lines, Polygon, Rectangle, FillRect, Ellipse, Pixel, Text };
    // What a text operation writes.
    struct Writing {
        std::string text;
        std::shared_ptr<const QFont> font;  // a font is dear to make: texts of one font share it
        int ascent = 0;
    };
    // Small, so that a live view's thousands of dots changed in place a
    // step read little: what a redraw in place reads comes first.
    struct Operation {
        Kind kind = Kind::Lines;
        bool live = true;
        // Live, and nothing drawn after it paints over it (lines aside);
        // false while the record does not keep who owns each pixel.
        bool intact = true;
        QRgb pen = 0, brush = 0;  // text: its colour and its background
        std::uint64_t drawn = 0;  // when it was added, or a line last extended (a count)
        // Every pixel the operation paints lies inside; a rectangle, ellipse,
        // pixel or text covers exactly this.
        QRect bounds;
        std::vector<QPoint> points;              // lines and polygons
        std::shared_ptr<const Writing> writing;  // texts
    };

    explicit DrawingRecord(QSize surface) : surface_(surface) {}

    void AddLine(QPoint from, QPoint to, Rgb pen);
    void AddPolygon(const std::vector<QPoint>& points, Rgb pen, Rgb brush);
    // Rectangle and FillRect cover x1..x2-1, y1..y2-1 (already ordered).
    void AddRectangle(int x1, int y1, int x2, int y2, Rgb pen, Rgb brush);
    void AddFill(int x1, int y1, int x2, int y2, Rgb brush);
    void AddEllipse(int x1, int y1, int x2, int y2, Rgb pen, Rgb brush);
    void AddPixel(int x, int y, Rgb colour);
    // The cheap way of AddEllipse and AddPixel (kind Ellipse or Pixel, x2 >
    // x1, y2 > y1): true when the shape is the one after the last shape
    // changed in place, with nothing drawn since over it, and now has the
    // new colours. A live view redraws its dots in the order it drew them,
    // thousands a step, so this is inline.
    bool RecolourNext(Kind kind, int x1, int y1, int x2, int y2, QRgb pen, QRgb brush) {
        if (nextInPlace_ >= operations_.size()) return false;
        Operation& op = operations_[nextInPlace_];
        if (!op.intact || op.kind != kind || op.drawn < lastLineDrawn_ ||
            op.bounds != QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)))
            return false;
        // `drawn` stays: no line was drawn since, so it still tells the same.
        op.pen = pen;
        op.brush = brush;
        ++nextInPlace_;
        return true;
    }
    void AddText(int x, int y, const std::string& text, const QFont& font, Rgb colour,
                 Rgb background, int width, int height, int ascent);
    // The pixels were changed some other way: the record no longer tells
    // how the picture was made.
    void GiveUp();

    // True while the record draws exactly what the surface shows.
    bool Complete() const { return complete_; }
    std::size_t OperationCount() const { return operations_.size() - dead_; }
    std::size_t PointCount() const { return points_; }
    // Draws the record, one surface pixel per painter unit.
    void Replay(QPainter& painter) const;
    template <class Visit>
    void ForEach(Visit&& visit) const {
        for (const Operation& op : operations_)
            if (op.live) visit(op);
    }

private:
    struct ShapeKey {
        Kind kind;
        int x1, y1, x2, y2;
        friend bool operator==(const ShapeKey&, const ShapeKey&) = default;
    };
    // Which operation last drew each shape: open addressing in one array,
    // emptied by starting a new generation (shapes are replaced thousands
    // of times a second in a live run).
    class ShapeIndex {
    public:
        static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
        // Records `index` for `key`; returns the index recorded before, or kNone.
        std::size_t Exchange(const ShapeKey& key, std::size_t index);
        void Clear();

    private:
        struct Slot {
            ShapeKey key{};
            std::uint32_t index = 0;
            std::uint32_t generation = 0;  // in use when equal to generation_
        };
        void Grow();
        std::vector<Slot> slots_;
        std::size_t used_ = 0;
        std::uint32_t generation_ = 1;
    };
    static ShapeKey KeyOf(const Operation& op) {
        return {op.kind, op.bounds.left(), op.bounds.top(), op.bounds.right(), op.bounds.bottom()};
    }

    void Reset();
    bool Covers(const QRect& area) const;
    // An opaque rectangle: removes what lies under it, or starts afresh.
    void Cover(const QRect& area);
    void Append(Operation op, bool replacesSameShape);
    // Changes the colours of the dot or pixel with `bounds` where it stands
    // when nothing drawn after it overlaps it; false when that is not known.
    bool RedrawInPlace(Kind kind, const QRect& bounds, QRgb pen, QRgb brush);
    void MarkOwner(std::size_t index);
    void RebuildOwners();
    void Kill(std::size_t index);
    void Compact();
    void RenumberShapes();
    void CheckBounds();
    QRect Clipped(const QRect& r) const { return r.intersected(QRect(QPoint(0, 0), surface_)); }

    QSize surface_;
    std::vector<Operation> operations_;
    ShapeIndex shapes_;
    std::shared_ptr<const QFont> lastFont_;  // shared by texts of one font
    // For each surface pixel, 1 + the operation that last painted over it
    // (lines and polygons aside, 0 for none); kept once a shape is drawn
    // again at its place, so plots drawn once never pay for it.
    std::vector<std::uint32_t> owners_;
    // The operation after the one last redrawn in place: a live view
    // redraws its dots in the order it drew them, so this is where the
    // next one usually stands.
    std::size_t nextInPlace_ = 0;
    std::uint64_t clock_ = 0;          // counts drawing operations
    std::uint64_t lastLineDrawn_ = 0;  // when a line or polygon was last drawn
    std::size_t dead_ = 0;
    std::size_t points_ = 0;
    bool complete_ = true;
};

}  // namespace common
