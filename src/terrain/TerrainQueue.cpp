#include "terrain/TerrainQueue.h"

#include <stdexcept>

namespace tv {

const char* CommandStateName(CommandState state) { throw std::logic_error("not built yet: CommandStateName"); }
int CellQuery(Bot& bot, int32_t cellX, int32_t cellZ) { throw std::logic_error("not built yet: CellQuery"); }
bool TerrainQueueFindCell(Bot& bot, int32_t cellX, int32_t cellZ) { throw std::logic_error("not built yet: TerrainQueueFindCell"); }
void TerrainQueueAddCell(Bot& bot, int32_t cellX, int32_t cellZ, bool priority) { throw std::logic_error("not built yet: TerrainQueueAddCell"); }
void TerrainQueueAddArea(Bot& bot, int32_t cellX, int32_t cellZ) { throw std::logic_error("not built yet: TerrainQueueAddArea"); }
void TerrainQueryQueueProcess(Bot& bot) { throw std::logic_error("not built yet: TerrainQueryQueueProcess"); }
void TerrainQueueCommand(Bot& bot, int32_t cellX, int32_t cellZ, CommandState state, int32_t session, bool priority, bool hole, int32_t texture, uint16_t rotation) { throw std::logic_error("not built yet: TerrainQueueCommand"); }
void TerrainCommandQueueProcess(Bot& bot) { throw std::logic_error("not built yet: TerrainCommandQueueProcess"); }
int TerrainCommandQueueNumberFromSession(Bot& bot, int32_t session) { throw std::logic_error("not built yet: TerrainCommandQueueNumberFromSession"); }
bool TerrainCommandQueueNumberFromSessionBool(Bot& bot, int32_t session) { throw std::logic_error("not built yet: TerrainCommandQueueNumberFromSessionBool"); }

}  // namespace tv
