#include "commands/TerrainRights.h"

#include <stdexcept>

namespace tv {

std::string TerrainRightsFromString(TTerrainRightsList& list, const std::string& text) { throw std::logic_error("not built yet: TerrainRightsFromString"); }
std::string TerrainRightsToString(const TTerrainRightsList& list) { throw std::logic_error("not built yet: TerrainRightsToString"); }
bool TerrainRightsHasCitizen(const TTerrainRightsList& list, int32_t citnum) { throw std::logic_error("not built yet: TerrainRightsHasCitizen"); }
void TerrainRightsAdd(TTerrainRightsList& list, int32_t citnum) { throw std::logic_error("not built yet: TerrainRightsAdd"); }
void TerrainRightsRemove(TTerrainRightsList& list, int32_t citnum) { throw std::logic_error("not built yet: TerrainRightsRemove"); }
bool TerrainRightsCheckSession(Bot& bot, const TTerrainSession& session) { throw std::logic_error("not built yet: TerrainRightsCheckSession"); }
std::vector<std::string> SplitCommaList(const std::string& text) { throw std::logic_error("not built yet: SplitCommaList"); }
void SortNumericStrings(std::vector<std::string>& list) { throw std::logic_error("not built yet: SortNumericStrings"); }
int CompareNumericStrings(const std::string& a, const std::string& b) { throw std::logic_error("not built yet: CompareNumericStrings"); }

TTerrainRightsItem& TTerrainRightsList::Add() { throw std::logic_error("not built yet"); }
void TTerrainRightsList::Delete(std::size_t) { throw std::logic_error("not built yet"); }

}  // namespace tv
