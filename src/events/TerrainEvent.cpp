#include "events/TerrainEvent.h"

#include <stdexcept>

namespace tv {

void TerrainEventSet(Bot& bot) { throw std::logic_error("not built yet: TerrainEventSet"); }
void TerrainCallbackObjectResult(Bot& bot, int reason) { throw std::logic_error("not built yet: TerrainCallbackObjectResult"); }
void TerrainCallbackCellResult(Bot& bot, int reason) { throw std::logic_error("not built yet: TerrainCallbackCellResult"); }
void TerrainCallbackTerrainSetResult(Bot& bot, int reason) { throw std::logic_error("not built yet: TerrainCallbackTerrainSetResult"); }
void TerrainEventObjectAdd(Bot& bot) { throw std::logic_error("not built yet: TerrainEventObjectAdd"); }
void TerrainEventObjectDelete(Bot& bot) { throw std::logic_error("not built yet: TerrainEventObjectDelete"); }
void TerrainEventObjectSelect(Bot& bot) { throw std::logic_error("not built yet: TerrainEventObjectSelect"); }
void TerrainEventObjectClick(Bot& bot) { throw std::logic_error("not built yet: TerrainEventObjectClick"); }
void TerrainEventCellBegin(Bot& bot) { throw std::logic_error("not built yet: TerrainEventCellBegin"); }
void TerrainEventCellObject(Bot& bot) { throw std::logic_error("not built yet: TerrainEventCellObject"); }
void TerrainEventCellEnd(Bot& bot) { throw std::logic_error("not built yet: TerrainEventCellEnd"); }
void TerrainEventChat(Bot& bot) { throw std::logic_error("not built yet: TerrainEventChat"); }

}  // namespace tv
