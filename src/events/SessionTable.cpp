#include "events/SessionTable.h"

#include <stdexcept>

namespace tv {

void InstallAvatarEvents(Bot& bot) { throw std::logic_error("not built yet: InstallAvatarEvents"); }
void SessionTableReset(Bot& bot) { throw std::logic_error("not built yet: SessionTableReset"); }
void TouchSession(Bot& bot, TTerrainSession& session) { throw std::logic_error("not built yet: TouchSession"); }
bool SetSessionEnabled(Bot& bot, TTerrainSession& session, bool enable, bool detach) { throw std::logic_error("not built yet: SetSessionEnabled"); }
void CheckSessionTimeouts(Bot& bot) { throw std::logic_error("not built yet: CheckSessionTimeouts"); }
void FloodCheck(Bot& bot, int32_t session) { throw std::logic_error("not built yet: FloodCheck"); }
bool IsFloodEjected(Bot& bot, int32_t session) { throw std::logic_error("not built yet: IsFloodEjected"); }
std::vector<std::string> EnabledSessionNames(Bot& bot, int32_t privilege) { throw std::logic_error("not built yet: EnabledSessionNames"); }
void AnnounceToRightsHolders(Bot& bot) { throw std::logic_error("not built yet: AnnounceToRightsHolders"); }
std::string FeaturesNotice(Bot& bot) { throw std::logic_error("not built yet: FeaturesNotice"); }
void OnAvatarAdd(Bot& bot) { throw std::logic_error("not built yet: OnAvatarAdd"); }
void OnAvatarChange(Bot& bot) { throw std::logic_error("not built yet: OnAvatarChange"); }
void OnAvatarDelete(Bot& bot) { throw std::logic_error("not built yet: OnAvatarDelete"); }

TTerrainSession* SessionTable::FindSession(int32_t) { throw std::logic_error("not built yet"); }
TTerrainSession& SessionTable::Append(int32_t) { throw std::logic_error("not built yet"); }
void SessionTable::Remove(int32_t) { throw std::logic_error("not built yet"); }
void SessionTable::Clear() { throw std::logic_error("not built yet"); }

}  // namespace tv
