#pragma once
// The picture of the world map, painted straight from the terrain cache's rows: only the rows and
// the stretch of each row that the view shows, one square per cell into a QImage. Colours come
// from MapColour; a marker's texture gets a stable colour of its own.

#include <QImage>
#include <QPointF>
#include <QSize>
#include <cstdint>
#include <string>
#include <unordered_set>

namespace tv {

class Bot;

// Which part of the world the picture shows. North is up and east is right: cell x grows west,
// so it grows to the left. Cell c spans c - 0.5 to c + 0.5 around its anchor.
struct MapViewport {
    double centerX = 0;  // in cells
    double centerZ = 0;
    int cellPixels = 8;
    QSize size;

    // The picture point of a place given in cells (a cell's centre for whole numbers).
    QPointF ToScreen(double cellX, double cellZ) const;
    double CellXAt(double screenX) const;
    double CellZAt(double screenY) const;
    void CellAt(QPointF point, int32_t& cellX, int32_t& cellZ) const;
};

enum class MapColour { Outside, Unknown, NoMarker, Hole, Busy, Avatar };
QRgb MapColourOf(MapColour what);
// The colour of a texture number: evenly spread hues, the same for the same number every time.
QRgb TextureColour(int32_t texture);

// Cells with a terrain command queued or a request in flight, as CellKey64.
std::unordered_set<uint64_t> BusyCells(Bot& bot);
inline uint64_t CellKey64(int32_t cellX, int32_t cellZ) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(cellX)) << 32) |
           static_cast<uint32_t>(cellZ);
}

// The whole picture: outside and unknown ground, every cached cell in view (hidden markers
// striped, busy cells framed), and the avatars of enabled terrain sessions with their names.
void PaintMap(QImage& image, const MapViewport& view, Bot& bot);

// "3S 13W: texture 5 rotated 90, owner 101", "... no marker", "... not cached yet".
std::string DescribeCell(Bot& bot, int32_t cellX, int32_t cellZ);

}  // namespace tv
