#include "common/drawing_record.h"

#include "common/plot_surface.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <algorithm>

namespace common {
namespace {

QRgb ToQRgb(Rgb c) { return qRgb(c.r, c.g, c.b); }

QRect FromCorners(int x1, int y1, int x2, int y2) {
    return QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1));
}

QRect BoundsOf(const std::vector<QPoint>& points) {
    int left = points.front().x(), right = left, top = points.front().y(), bottom = top;
    for (const QPoint& p : points) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// One surface pixel wide, ends cut square at the points: lines keep the
// width of the pixels they stand for.
QPen LinePen(QRgb colour) {
    QPen pen{QColor(colour)};
    pen.setWidthF(1.0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// Pixel centres: a line through pixels (x, y) runs at (x + 0.5, y + 0.5).
QPolygonF Centres(const std::vector<QPoint>& points) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const QPoint& p : points) polygon << QPointF(p.x() + 0.5, p.y() + 0.5);
    return polygon;
}

}  // namespace

std::size_t DrawingRecord::ShapeIndex::Exchange(const ShapeKey& key, std::size_t index) {
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    // Slots follow the place on the surface, so shapes drawn in reading
    // order (a view of dots, say) touch neighbouring slots: the table stays
    // in the cache.
    const auto u = [](int v) { return static_cast<std::uint64_t>(v); };  // wraps, never overflows
    const std::uint64_t place = u(key.y1) * 1031u + u(key.x1) + (u(key.x2) - u(key.x1)) * 7u +
                                (u(key.y2) - u(key.y1)) * 131u +
                                static_cast<std::uint64_t>(key.kind) * 257u;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(place) & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.generation != generation_) {
            slot = Slot{key, static_cast<std::uint32_t>(index), generation_};
            ++used_;
            return kNone;
        }
        if (slot.key == key) {
            const std::size_t previous = slot.index;
            slot.index = static_cast<std::uint32_t>(index);
            return previous;
        }
    }
}

void DrawingRecord::ShapeIndex::Clear() {
    used_ = 0;
    if (++generation_ == 0) {  // wrapped: old slots could look current
        slots_.assign(slots_.size(), Slot{});
        generation_ = 1;
    }
}

void DrawingRecord::ShapeIndex::Grow() {
    std::vector<Slot> old = std::move(slots_);
    const std::uint32_t oldGeneration = generation_;
    slots_.assign(std::max<std::size_t>(old.size() * 2, 64), Slot{});
    used_ = 0;
    generation_ = 1;
    for (const Slot& slot : old)
        if (slot.generation == oldGeneration) Exchange(slot.key, slot.index);
}

void DrawingRecord::Reset() {
    operations_.clear();
    shapes_.Clear();
    std::fill(owners_.begin(), owners_.end(), 0u);
    dead_ = 0;
    points_ = 0;
    complete_ = true;
}

void DrawingRecord::GiveUp() {
    operations_.clear();
    shapes_.Clear();
    owners_ = {};
    dead_ = 0;
    points_ = 0;
    complete_ = false;
}

bool DrawingRecord::Covers(const QRect& area) const {
    return area.contains(QRect(QPoint(0, 0), surface_));
}

void DrawingRecord::Kill(std::size_t index) {
    Operation& op = operations_[index];
    if (!op.live) return;
    op.live = false;
    op.intact = false;
    points_ -= op.points.size();
    ++dead_;
}

void DrawingRecord::Cover(const QRect& area) {
    if (Covers(area)) {
        Reset();
        return;
    }
    if (!complete_) return;
    const QRect cover = Clipped(area);
    if (cover.isEmpty()) return;
    // Lines partly under the rectangle lose the segments that lie wholly
    // under it; what stays takes their place in the drawing order.
    std::vector<std::pair<std::size_t, std::vector<Operation>>> splits;
    for (std::size_t i = 0; i < operations_.size(); ++i) {
        const Operation& op = operations_[i];
        if (!op.live) continue;
        const QRect painted = Clipped(op.bounds);
        if (painted.isEmpty() || cover.contains(painted)) {
            Kill(i);
            continue;
        }
        if (op.kind != Kind::Lines || !cover.intersects(painted)) continue;
        std::vector<Operation> parts;
        bool removedAny = false, previousKept = false;
        for (std::size_t s = 0; s + 1 < op.points.size(); ++s) {
            const QRect segment = Clipped(BoundsOf({op.points[s], op.points[s + 1]}));
            if (segment.isEmpty() || cover.contains(segment)) {
                removedAny = true;
                previousKept = false;
                continue;
            }
            if (!previousKept) {
                Operation part;
                part.kind = Kind::Lines;
                part.pen = op.pen;
                part.points = {op.points[s]};
                parts.push_back(std::move(part));
            }
            parts.back().points.push_back(op.points[s + 1]);
            previousKept = true;
        }
        if (removedAny) splits.emplace_back(i, std::move(parts));
    }
    if (splits.empty()) return;
    std::vector<Operation> result;
    result.reserve(operations_.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < operations_.size(); ++i) {
        if (next < splits.size() && splits[next].first == i) {
            Kill(i);
            for (Operation& part : splits[next].second) {
                part.bounds = BoundsOf(part.points);
                points_ += part.points.size();
                result.push_back(std::move(part));
            }
            ++next;
            continue;
        }
        if (operations_[i].live) result.push_back(std::move(operations_[i]));
    }
    operations_ = std::move(result);
    dead_ = 0;
    RenumberShapes();
}

void DrawingRecord::Append(Operation op, bool replacesSameShape) {
    if (!complete_) return;
    bool replaced = false;
    if (replacesSameShape) {
        const std::size_t previous = shapes_.Exchange(KeyOf(op), operations_.size());
        if (previous != ShapeIndex::kNone) Kill(previous);
        replaced = previous != ShapeIndex::kNone;
    }
    op.drawn = ++clock_;
    op.intact = !owners_.empty();  // else unknown (and found when the owners are)
    const bool linear = op.kind == Kind::Lines || op.kind == Kind::Polygon;
    if (linear) lastLineDrawn_ = op.drawn;
    points_ += op.points.size();
    operations_.push_back(std::move(op));
    if (!linear) {
        if (!owners_.empty())
            MarkOwner(operations_.size() - 1);
        else if (replaced)
            RebuildOwners();  // shapes are being redrawn: worth knowing who owns what
    }
    if (dead_ > 1024 && dead_ > operations_.size() / 2) Compact();
    CheckBounds();
}

bool DrawingRecord::RedrawInPlace(Kind kind, const QRect& bounds, QRgb pen, QRgb brush) {
    if (owners_.empty() || !complete_) return false;
    if (RecolourNext(kind, bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1,
                     pen, brush))
        return true;
    // Not the one expected: the operation on top at the shape's corner.
    const int left = std::max(bounds.left(), 0), top = std::max(bounds.top(), 0);
    if (left >= surface_.width() || top >= surface_.height()) return false;
    const std::size_t index =
        owners_[static_cast<std::size_t>(top) * static_cast<std::size_t>(surface_.width()) +
                static_cast<std::size_t>(left)];
    if (index == 0) return false;
    Operation& op = operations_[index - 1];
    // A line drawn since may cross it: only a redraw at the end keeps it under.
    if (!op.live || !op.intact || op.kind != kind || op.bounds != bounds ||
        op.drawn < lastLineDrawn_)
        return false;
    op.pen = pen;
    op.brush = brush;
    nextInPlace_ = index;
    return true;
}

void DrawingRecord::MarkOwner(std::size_t index) {
    const QRect area = Clipped(operations_[index].bounds);
    const auto owner = static_cast<std::uint32_t>(index + 1);
    const std::size_t width = static_cast<std::size_t>(surface_.width());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        std::uint32_t* const row = owners_.data() + static_cast<std::size_t>(y) * width;
        for (int x = area.left(); x <= area.right(); ++x) {
            std::uint32_t& pixel = row[x];
            if (pixel == owner) continue;
            if (pixel != 0) operations_[pixel - 1].intact = false;
            pixel = owner;
        }
    }
}

void DrawingRecord::RebuildOwners() {
    owners_.assign(static_cast<std::size_t>(std::max(surface_.width(), 0)) *
                       static_cast<std::size_t>(std::max(surface_.height(), 0)),
                   0u);
    for (Operation& op : operations_) op.intact = op.live;
    for (std::size_t i = 0; i < operations_.size(); ++i) {
        const Operation& op = operations_[i];
        if (op.live && op.kind != Kind::Lines && op.kind != Kind::Polygon) MarkOwner(i);
    }
}

void DrawingRecord::Compact() {
    std::vector<Operation> kept;
    kept.reserve(operations_.size() - dead_);
    for (Operation& op : operations_)
        if (op.live) kept.push_back(std::move(op));
    operations_ = std::move(kept);
    dead_ = 0;
    RenumberShapes();
}

void DrawingRecord::RenumberShapes() {
    shapes_.Clear();
    for (std::size_t i = 0; i < operations_.size(); ++i) {
        const Operation& op = operations_[i];
        if (op.kind == Kind::Lines || op.kind == Kind::Polygon) continue;
        shapes_.Exchange(KeyOf(op), i);
    }
    if (!owners_.empty()) RebuildOwners();
}

void DrawingRecord::CheckBounds() {
    if (OperationCount() > kMaxOperations || points_ > kMaxPoints) GiveUp();
}

void DrawingRecord::AddLine(QPoint from, QPoint to, Rgb pen) {
    if (!complete_ || from == to) return;  // a line of no length paints nothing
    const QRgb colour = ToQRgb(pen);
    // Continue the line that ends where this one starts, when only lines of
    // the same colour were drawn after it (their order does not show).
    constexpr std::size_t kLookBack = 8;
    for (std::size_t back = 0; back < std::min(kLookBack, operations_.size()); ++back) {
        Operation& op = operations_[operations_.size() - 1 - back];
        if (!op.live) continue;
        if (op.kind != Kind::Lines || op.pen != colour) break;
        if (op.points.back() == from) {
            op.drawn = lastLineDrawn_ = ++clock_;
            op.points.push_back(to);
            op.bounds = op.bounds.united(QRect(to, QSize(1, 1)));
            ++points_;
            CheckBounds();
            return;
        }
    }
    Operation op;
    op.kind = Kind::Lines;
    op.pen = colour;
    op.points = {from, to};
    op.bounds = BoundsOf(op.points);
    Append(std::move(op), false);
}

void DrawingRecord::AddPolygon(const std::vector<QPoint>& points, Rgb pen, Rgb brush) {
    if (points.empty()) return;
    Operation op;
    op.kind = Kind::Polygon;
    op.pen = ToQRgb(pen);
    op.brush = ToQRgb(brush);
    op.points = points;
    op.bounds = BoundsOf(points);
    Append(std::move(op), false);
}

void DrawingRecord::AddRectangle(int x1, int y1, int x2, int y2, Rgb pen, Rgb brush) {
    if (x2 <= x1 || y2 <= y1) return;
    Operation op;
    op.kind = Kind::Rectangle;
    op.pen = ToQRgb(pen);
    op.brush = ToQRgb(brush);
    op.bounds = FromCorners(x1, y1, x2, y2);
    Cover(op.bounds);
    Append(std::move(op), true);
}

void DrawingRecord::AddFill(int x1, int y1, int x2, int y2, Rgb brush) {
    if (x2 <= x1 || y2 <= y1) return;
    Operation op;
    op.kind = Kind::FillRect;
    op.pen = op.brush = ToQRgb(brush);
    op.bounds = FromCorners(x1, y1, x2, y2);
    Cover(op.bounds);
    Append(std::move(op), true);
}

void DrawingRecord::AddEllipse(int x1, int y1, int x2, int y2, Rgb pen, Rgb brush) {
    if (x2 <= x1 || y2 <= y1) return;
    if (RedrawInPlace(Kind::Ellipse, FromCorners(x1, y1, x2, y2), ToQRgb(pen), ToQRgb(brush)))
        return;
    Operation op;
    op.kind = Kind::Ellipse;
    op.pen = ToQRgb(pen);
    op.brush = ToQRgb(brush);
    op.bounds = FromCorners(x1, y1, x2, y2);
    Append(std::move(op), true);
}

void DrawingRecord::AddPixel(int x, int y, Rgb colour) {
    if (RedrawInPlace(Kind::Pixel, QRect(x, y, 1, 1), ToQRgb(colour), ToQRgb(colour))) return;
    Operation op;
    op.kind = Kind::Pixel;
    op.pen = op.brush = ToQRgb(colour);
    op.bounds = QRect(x, y, 1, 1);
    Append(std::move(op), true);
}

void DrawingRecord::AddText(int x, int y, const std::string& text, const QFont& font, Rgb colour,
                            Rgb background, int width, int height, int ascent) {
    if (text.empty()) return;
    Operation op;
    op.kind = Kind::Text;
    op.pen = ToQRgb(colour);
    op.brush = ToQRgb(background);
    op.bounds = QRect(x, y, std::max(width, 1), std::max(height, 1));
    if (!lastFont_ || *lastFont_ != font) lastFont_ = std::make_shared<const QFont>(font);
    op.writing = std::make_shared<const Writing>(Writing{text, lastFont_, ascent});
    Append(std::move(op), true);
}

void DrawingRecord::Replay(QPainter& p) const {
    p.save();
    p.setClipRect(QRect(QPoint(0, 0), surface_));
    for (const Operation& op : operations_) {
        if (!op.live) continue;
        const QRectF area(op.bounds);
        switch (op.kind) {
            case Kind::Lines:
                p.setPen(LinePen(op.pen));
                p.setBrush(Qt::NoBrush);
                p.drawPolyline(Centres(op.points));
                break;
            case Kind::Polygon:
                p.setPen(LinePen(op.pen));
                p.setBrush(QColor(op.brush));
                p.drawPolygon(Centres(op.points));
                break;
            case Kind::Rectangle:
                if (op.bounds.width() < 3 || op.bounds.height() < 3) {
                    p.fillRect(area, QColor(op.pen));
                    break;
                }
                p.fillRect(area, QColor(op.pen));
                p.fillRect(area.adjusted(1, 1, -1, -1), QColor(op.brush));
                break;
            case Kind::FillRect:
            case Kind::Pixel:
                p.fillRect(area, QColor(op.brush));
                break;
            case Kind::Ellipse:
                p.setPen(LinePen(op.pen));
                p.setBrush(QColor(op.brush));
                p.drawEllipse(area.adjusted(0.5, 0.5, -0.5, -0.5));
                break;
            case Kind::Text:
                p.fillRect(area, QColor(op.brush));
                p.setFont(*op.writing->font);
                p.setPen(QColor(op.pen));
                p.drawText(QPointF(op.bounds.left(), op.bounds.top() + op.writing->ascent),
                           QString::fromStdString(op.writing->text));
                break;
        }
    }
    p.restore();
}

}  // namespace common
