#include "terrain/TerrainCallback.h"

#include <stdexcept>

namespace tv {

void CallbackAdd(Bot& bot, int32_t session, CallbackType type, int32_t cellX, int32_t cellZ, bool show, bool hole, int32_t texture, uint16_t rotation) { throw std::logic_error("not built yet: CallbackAdd"); }
TTerrainCallback& CallbackFind(Bot& bot, int32_t cellX, int32_t cellZ, CallbackType type) { throw std::logic_error("not built yet: CallbackFind"); }
TTerrainCallback* CallbackLookup(Bot& bot, int32_t cellX, int32_t cellZ, CallbackType type) { throw std::logic_error("not built yet: CallbackLookup"); }
void CallbackDelete(Bot& bot, int32_t cellX, int32_t cellZ, CallbackType type) { throw std::logic_error("not built yet: CallbackDelete"); }
void CallbackRemove(Bot& bot, const TTerrainCallback& record) { throw std::logic_error("not built yet: CallbackRemove"); }
int CallbackCount(Bot& bot, CallbackType type) { throw std::logic_error("not built yet: CallbackCount"); }
bool CallbackSessionHasType(Bot& bot, int32_t session, CallbackType type) { throw std::logic_error("not built yet: CallbackSessionHasType"); }
bool CallbackSessionHasAny(Bot& bot, int32_t session) { throw std::logic_error("not built yet: CallbackSessionHasAny"); }
void CallbackComplete(Bot& bot, const TMarkerRecord& marker, CallbackType type, const std::string& text) { throw std::logic_error("not built yet: CallbackComplete"); }
void TerrainCallbackReAdd(Bot& bot, const TTerrainCallback& record) { throw std::logic_error("not built yet: TerrainCallbackReAdd"); }
void CallbackReAddAll(Bot& bot) { throw std::logic_error("not built yet: CallbackReAddAll"); }
void CallbackTimeouts(Bot& bot) { throw std::logic_error("not built yet: CallbackTimeouts"); }

}  // namespace tv
