#pragma once
// The two paced queues: cell queries (cells the cache does not hold yet, at most MaxQueries in
// flight) and terrain commands (show, hide, delete, detach, texture; at most MaxCommands a tick).

#include <cstdint>
#include <string>

#include "terrain/LinkList.h"

namespace tv {

class Bot;

struct TTerrainQueueCell {
    int32_t CellX = 0, CellZ = 0;
};
using TTerrainQueryQueue = TLinkedList<TTerrainQueueCell>;

enum class CommandState : uint8_t { INVALID = 0, DELETE = 1, DETACH = 2, HIDE = 3, SHOW = 4, TEXTURE = 5 };
const char* CommandStateName(CommandState state);  // "INVALID", "DELETE", ...

struct TTerrainCommand {
    int32_t CellX = 0, CellZ = 0;
    CommandState State = CommandState::INVALID;
    int32_t AvatarSession = 0;
    bool Hole = false;
    int32_t Texture = 0;
    uint16_t Rotation = 0;
};
using TTerrainCommandQueue = TLinkedList<TTerrainCommand>;

// Cell queries.
int CellQuery(Bot& bot, int32_t cellX, int32_t cellZ);
bool TerrainQueueFindCell(Bot& bot, int32_t cellX, int32_t cellZ);
void TerrainQueueAddCell(Bot& bot, int32_t cellX, int32_t cellZ, bool priority);
void TerrainQueueAddArea(Bot& bot, int32_t cellX, int32_t cellZ);
void TerrainQueryQueueProcess(Bot& bot);

// Terrain commands.
void TerrainQueueCommand(Bot& bot, int32_t cellX, int32_t cellZ, CommandState state,
                         int32_t session, bool priority, bool hole, int32_t texture,
                         uint16_t rotation);
void TerrainCommandQueueProcess(Bot& bot);
int TerrainCommandQueueNumberFromSession(Bot& bot, int32_t session);
bool TerrainCommandQueueNumberFromSessionBool(Bot& bot, int32_t session);

}  // namespace tv
