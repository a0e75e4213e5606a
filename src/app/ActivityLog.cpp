#include "app/ActivityLog.h"

#include <stdexcept>

namespace tv {

const char* DebugCategoryName(DebugCategory category) { throw std::logic_error("not built yet: DebugCategoryName"); }
std::string ActivityFileLine(const std::string& dateTime, ActivityCategory category, int32_t privilege, const std::string& name, const std::string& message) { throw std::logic_error("not built yet: ActivityFileLine"); }
void DumpMarker(Bot& bot, DebugCategory category, const TMarkerRecord& marker) { throw std::logic_error("not built yet: DumpMarker"); }

LogFile::~LogFile() {}
bool LogFile::Append(const std::filesystem::path&, const std::string&) { throw std::logic_error("not built yet"); }
void LogFile::Close() {}

}  // namespace tv
