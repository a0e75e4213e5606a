#include "commands/TerrainCommand.h"

#include <stdexcept>

namespace tv {

std::vector<std::string> SplitCommandLine(const std::string& text) { throw std::logic_error("not built yet: SplitCommandLine"); }
void ProcessCommand(Bot& bot, TTerrainSession& session, const std::string& text) { throw std::logic_error("not built yet: ProcessCommand"); }
bool RequireEnabled(Bot& bot, TTerrainSession& session) { throw std::logic_error("not built yet: RequireEnabled"); }
bool RequireCaretaker(Bot& bot, TTerrainSession& session) { throw std::logic_error("not built yet: RequireCaretaker"); }
int32_t ParseCitNumFromString(Bot& bot, const std::string& text) { throw std::logic_error("not built yet: ParseCitNumFromString"); }
bool ParseCitNum(Bot& bot, TTerrainSession& session, const std::string& text, int32_t& citnum) { throw std::logic_error("not built yet: ParseCitNum"); }
void DoBeginCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoBeginCommand"); }
void DoEndCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoEndCommand"); }
void DoClickModeCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoClickModeCommand"); }
void DoShowHideCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoShowHideCommand"); }
void DoHelpCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoHelpCommand"); }
void DoRightsCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoRightsCommand"); }
void DoSeedCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoSeedCommand"); }
void DoSessionsCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoSessionsCommand"); }
void DoStatsCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoStatsCommand"); }
void DoTextureCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoTextureCommand"); }
void DoVersionCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoVersionCommand"); }
void DoClearCacheCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) { throw std::logic_error("not built yet: DoClearCacheCommand"); }
int TerrainCacheAreaCommand(Bot& bot, int32_t cellX, int32_t cellZ, int32_t citNum, uint8_t state, int32_t boxSize, int32_t session, bool ignoreCitnum) { throw std::logic_error("not built yet: TerrainCacheAreaCommand"); }
int TerrainCacheAreaTexture(Bot& bot, int32_t cellX, int32_t cellZ, int32_t citNum, uint16_t rotation, int32_t texture, bool hole, int32_t session, int32_t boxSize) { throw std::logic_error("not built yet: TerrainCacheAreaTexture"); }
void NotifyRightsChange(Bot& bot, TTerrainSession& caller, const std::string& text, int32_t citnum) { throw std::logic_error("not built yet: NotifyRightsChange"); }

}  // namespace tv
