#include "terrain/TerrainStruct.h"

#include <stdexcept>

namespace tv {

int32_t WorldToCell(int32_t value, bool truncate) { throw std::logic_error("not built yet: WorldToCell"); }
int32_t FloorToCell(int32_t value) { throw std::logic_error("not built yet: FloorToCell"); }
int32_t SectorOf(int32_t cell) { throw std::logic_error("not built yet: SectorOf"); }
int32_t SectorOrigin(int32_t sector) { throw std::logic_error("not built yet: SectorOrigin"); }
uint32_t PackCellKey(int32_t cellX, int32_t cellZ) { throw std::logic_error("not built yet: PackCellKey"); }
void UnpackCellKey(uint32_t key, int32_t& cellX, int32_t& cellZ) { throw std::logic_error("not built yet: UnpackCellKey"); }
int32_t PackTerrain(bool hole, int32_t texture, uint16_t rotation) { throw std::logic_error("not built yet: PackTerrain"); }
void UnpackTerrain(int32_t value, int32_t defaultTexture, bool& hole, int32_t& texture, uint16_t& rotation) { throw std::logic_error("not built yet: UnpackTerrain"); }
std::string CoordText(int32_t x, int32_t z, int32_t y, int32_t yaw) { throw std::logic_error("not built yet: CoordText"); }

}  // namespace tv
