#include "ui/MapPainter.h"

#include <QColor>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

#include "app/Bot.h"
#include "app/Format.h"
#include "terrain/TerrainStruct.h"
#include "ui/QtFrontEnd.h"

namespace tv {

namespace {

// The picture rows or columns of a cell whose first one is `from`, clipped to [0, limit).
struct Span {
    int from = 0, to = 0;
    bool Empty() const { return from >= to; }
};
Span Covered(int from, int cellPixels, int limit) {
    // A gap between cells once they are large enough to tell apart.
    const int to = from + cellPixels - (cellPixels >= 6 ? 1 : 0);
    return {std::max(from, 0), std::min(to, limit)};
}

QRgb Darker(QRgb colour) {
    return qRgb(qRed(colour) * 2 / 5, qGreen(colour) * 2 / 5, qBlue(colour) * 2 / 5);
}

QRgb CellColour(const TTerrainCacheX& entry) {
    if (!entry.HasMarker) return MapColourOf(MapColour::NoMarker);
    if (entry.Terrain == kHoleTerrain) return MapColourOf(MapColour::Hole);
    return TextureColour(entry.Texture);
}

// Straight into the picture's memory: one pointer for the whole frame.
class Pixels {
public:
    explicit Pixels(QImage& image) : bits_(image.bits()), stride_(image.bytesPerLine()) {}
    QRgb* Line(int y) const { return reinterpret_cast<QRgb*>(bits_ + y * stride_); }
    // Hidden markers are striped: every other picture row darker.
    void Cell(Span xs, Span ys, QRgb colour, bool hidden) const {
        const QRgb dark = hidden ? Darker(colour) : colour;
        for (int y = ys.from; y < ys.to; ++y)
            std::fill(Line(y) + xs.from, Line(y) + xs.to, y & 1 ? dark : colour);
    }
    // A frame once the cell is large enough for one, else the whole cell.
    void Frame(Span xs, Span ys, QRgb colour) const {
        const int size = xs.to - xs.from;
        const int border = size >= 10 ? 2 : size >= 4 ? 1 : size;
        for (int y = ys.from; y < ys.to; ++y) {
            QRgb* line = Line(y);
            if (y < ys.from + border || y >= ys.to - border) {
                std::fill(line + xs.from, line + xs.to, colour);
            } else {
                std::fill(line + xs.from, line + xs.from + border, colour);
                std::fill(line + xs.to - border, line + xs.to, colour);
            }
        }
    }

private:
    uchar* bits_;
    qsizetype stride_;
};

}  // namespace

QPointF MapViewport::ToScreen(double cellX, double cellZ) const {
    return {size.width() / 2.0 + (centerX - cellX) * cellPixels,
            size.height() / 2.0 + (centerZ - cellZ) * cellPixels};
}

double MapViewport::CellXAt(double screenX) const {
    return centerX - (screenX - size.width() / 2.0) / cellPixels;
}

double MapViewport::CellZAt(double screenY) const {
    return centerZ - (screenY - size.height() / 2.0) / cellPixels;
}

void MapViewport::CellAt(QPointF point, int32_t& cellX, int32_t& cellZ) const {
    cellX = static_cast<int32_t>(std::lround(CellXAt(point.x())));
    cellZ = static_cast<int32_t>(std::lround(CellZAt(point.y())));
}

QRgb MapColourOf(MapColour what) {
    switch (what) {
        case MapColour::Outside:
            return qRgb(24, 26, 30);
        case MapColour::Unknown:
            return qRgb(54, 58, 64);
        case MapColour::NoMarker:
            return qRgb(120, 124, 130);
        case MapColour::Hole:
            return qRgb(6, 6, 10);
        case MapColour::Busy:
            return qRgb(255, 214, 0);
        case MapColour::Avatar:
            return qRgb(255, 255, 255);
    }
    return 0;
}

QRgb TextureColour(int32_t texture) {
    // Twelve hues far apart, then the same twelve lighter and darker for higher numbers.
    static const std::array<QRgb, 36> palette = [] {
        constexpr QRgb hues[] = {0x66bb55, 0xe0b84c, 0x4f8fd6, 0xd0603c, 0x9b6bd1, 0x3fbfb0,
                                 0xe27fb0, 0xa3c93a, 0x9a6a44, 0x6f7fe8, 0xe6954a, 0x2f9f6a};
        std::array<QRgb, 36> colours{};
        for (int i = 0; i < 12; ++i) {
            colours[i] = QColor(hues[i]).rgb();
            colours[i + 12] = QColor(hues[i]).lighter(135).rgb();
            colours[i + 24] = QColor(hues[i]).darker(145).rgb();
        }
        return colours;
    }();
    return palette[static_cast<uint32_t>(texture) % 36];
}

std::unordered_set<uint64_t> BusyCells(Bot& bot) {
    std::unordered_set<uint64_t> busy;
    for (auto* node = bot.world.commands.Head(); node; node = node->Next)
        busy.insert(CellKey64(node->Item->CellX, node->Item->CellZ));
    for (auto* node = bot.world.callbacks.Head(); node; node = node->Next)
        if (node->Item->Type != CallbackType::CellQuery)
            busy.insert(CellKey64(node->Item->CellX, node->Item->CellZ));
    return busy;
}

void PaintMap(QImage& image, const MapViewport& view, Bot& bot) {
    image.fill(MapColourOf(MapColour::Outside));
    const int width = image.width(), height = image.height(), px = view.cellPixels;
    // The cells in view, limited to the world.
    const int32_t size = bot.cache.WorldSize();
    auto clamp = [size](double v) {
        return static_cast<int32_t>(std::clamp<double>(v, -size, size));
    };
    const int32_t xLow = clamp(std::floor(view.CellXAt(width)) - 1);
    const int32_t xHigh = clamp(std::ceil(view.CellXAt(0)) + 1);
    const int32_t zLow = clamp(std::floor(view.CellZAt(height)) - 1);
    const int32_t zHigh = clamp(std::ceil(view.CellZAt(0)) + 1);
    {
        const QPointF a = view.ToScreen(xHigh + 0.5, zHigh + 0.5);
        const QPointF b = view.ToScreen(xLow - 0.5, zLow - 0.5);
        QPainter ground(&image);
        ground.fillRect(QRectF(a, b), QColor(MapColourOf(MapColour::Unknown)));
    }
    // Cell c's first picture column is originX - c * px (x grows west, to the left), its first
    // row originZ - c * px: whole numbers, so the loop below needs no floating point.
    const int originX = static_cast<int>(std::floor(width / 2.0 + view.centerX * px - px / 2.0));
    const int originZ = static_cast<int>(std::floor(height / 2.0 + view.centerZ * px - px / 2.0));
    const Pixels pixels(image);
    for (int32_t z = zLow; z <= zHigh; ++z) {
        const TTerrainCacheZ* row = bot.cache.FindRow(z);
        if (!row || row->Entries.empty()) continue;
        const Span ys = Covered(originZ - z * px, px, height);
        if (ys.Empty()) continue;
        const auto& entries = row->Entries;
        auto it = std::lower_bound(entries.begin(), entries.end(), xLow,
                                   [](const TTerrainCacheX& e, int32_t x) { return e.X < x; });
        for (; it != entries.end() && it->X <= xHigh; ++it) {
            const Span xs = Covered(originX - it->X * px, px, width);
            if (!xs.Empty()) pixels.Cell(xs, ys, CellColour(*it), it->HasMarker && !it->Visible);
        }
    }
    // The few cells with work in flight, framed over what was painted.
    for (uint64_t key : BusyCells(bot)) {
        const auto x = static_cast<int32_t>(key >> 32), z = static_cast<int32_t>(key & 0xFFFFFFFF);
        if (x < xLow || x > xHigh || z < zLow || z > zHigh) continue;
        const Span xs = Covered(originX - x * px, px, width),
                   ys = Covered(originZ - z * px, px, height);
        if (!xs.Empty() && !ys.Empty()) pixels.Frame(xs, ys, MapColourOf(MapColour::Busy));
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const TTerrainSession& session : bot.sessions.Records()) {
        if (!session.enabled) continue;
        const QPointF at =
            view.ToScreen(session.x / double(kCellSpan), session.z / double(kCellSpan));
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(QColor(MapColourOf(MapColour::Avatar)));
        painter.drawEllipse(at, 5, 5);
        const QString name = ToQt(session.name);
        painter.setPen(Qt::black);
        painter.drawText(at + QPointF(9, 5), name);
        painter.setPen(Qt::white);
        painter.drawText(at + QPointF(8, 4), name);
    }
}

std::string DescribeCell(Bot& bot, int32_t cellX, int32_t cellZ) {
    std::string text = CoordText(CellAnchor(cellX), CellAnchor(cellZ)) + ": ";
    const int32_t size = bot.cache.WorldSize();
    if (!InWorldRange(cellX, size) || !InWorldRange(cellZ, size)) return text + "outside the world";
    const TTerrainCacheX* entry = bot.cache.Entry(cellX, cellZ);
    if (!entry) return text + "not cached yet";
    if (!entry->HasMarker) return text + "no marker";
    bool hole = false;
    int32_t texture = 0;
    uint16_t rotation = 0;
    UnpackTerrain(entry->Terrain, bot.cache.DefaultTexture(), hole, texture, rotation);
    text += hole ? std::string("hole")
                 : Format("texture %d", {entry->Texture}) +
                       (rotation ? Format(" rotated %d", {rotation / 0x4000 * 90}) : "");
    return text + Format(", owner %d%s", {entry->Owner, entry->Visible ? "" : ", hidden"});
}

}  // namespace tv
