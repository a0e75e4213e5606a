#pragma once
// The box of cells an area command works on, and the cached marker cells inside it. Shared by
// the show/hide/delete/detach commands and the texture command, which select alike.

#include <cstdint>
#include <vector>

namespace tv {

class Bot;

// Bounds in cell numbers, both included. 64-bit so that a centre near the edge of the cache rows
// plus a world-sized half-width cannot overflow.
struct CellBox {
    int64_t x0 = 0, x1 = 0, z0 = 0, z1 = 0;
};

// The centre's cells plus and minus boxSize; with the option UseSectorBox instead the cells
// 8*s-5 ... 8*s+5 around the centre's sector, for columns and rows alike, so that the sector the
// reply names is the area that was selected.
CellBox AreaCommandBox(const Bot& bot, int32_t cellX, int32_t cellZ, int32_t boxSize);

struct MarkedCell {
    int32_t x = 0, z = 0;
    int32_t owner = 0;
};

// Cached cells that carry a marker inside the box: rows inside the world only, row by row from
// the south, each row in the cache's ascending x order. Cells never queried are not included.
std::vector<MarkedCell> MarkedCellsInBox(const Bot& bot, const CellBox& box);

}  // namespace tv
