#pragma once
// The world's object, cell and chat events and the result callbacks: they keep the terrain cache
// in step with the marker objects in the world and pass chat commands to the dispatcher.

#include <cstdint>

namespace tv {

class Bot;

// Installs the result callbacks and the object, cell, chat, disconnect and world-attribute events.
void TerrainEventSet(Bot& bot);

void TerrainCallbackObjectResult(Bot& bot, int reason);
void TerrainCallbackCellResult(Bot& bot, int reason);
void TerrainCallbackTerrainSetResult(Bot& bot, int reason);
void TerrainEventObjectAdd(Bot& bot);
void TerrainEventObjectDelete(Bot& bot);
void TerrainEventObjectSelect(Bot& bot);
void TerrainEventObjectClick(Bot& bot);
void TerrainEventCellBegin(Bot& bot);
void TerrainEventCellObject(Bot& bot);
void TerrainEventCellEnd(Bot& bot);
void TerrainEventChat(Bot& bot);

}  // namespace tv
