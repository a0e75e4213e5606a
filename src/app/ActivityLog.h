#pragma once
// The two logs: the activity log (the operator's list, optionally copied line by line into the
// file named by LogFileName) and the always-on developer trace "debug.log". A file that cannot
// be written never stops the bot: the failure is reported once as an "Error" activity entry and
// the work goes on; when writing works again, the file says how many lines it lost.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "app/Format.h"
#include "app/LogFile.h"
#include "app/OperatorModel.h"

namespace tv {

class Bot;
struct TMarkerRecord;

enum class DebugCategory : uint8_t { Cache, Callback, Command, Event, Marker, Queue, SessionTable };
const char* DebugCategoryName(DebugCategory category);

// The two log files. The activity log file is written line by line, each line on disk when
// AddActivity returns; the debug log is buffered and written once a heartbeat (FlushDebugLog)
// and at shutdown, and rotated by size.
class LogFiles final {
public:
    // debug.log -> debug.log.1 at this size; debug.log.1 to .3 kept.
    static constexpr uint64_t kDebugRotateBytes = uint64_t{64} << 20;
    static constexpr int kDebugKeep = 3;

    explicit LogFiles(std::filesystem::path debugPath);

    LogFile activity{LogFile::Mode::EachLine};
    LogFile debug{LogFile::Mode::Buffered};
    const std::filesystem::path debugPath;
    bool activityFailureReported = false;
    bool debugFailureReported = false;

    // The date and time of log lines, formatted once for each second.
    const std::string& Stamp(int64_t unixSeconds);
    std::string line;  // the debug line being made, kept for its capacity

private:
    int64_t stampSecond_ = 0;
    std::string stamp_;
};

// "%-24s %-11s %-7s %-19s %s": date/time, category, privilege, name, message.
std::string ActivityFileLine(const std::string& dateTime, ActivityCategory category,
                             int32_t privilege, const std::string& name,
                             const std::string& message);

void AddActivity(Bot& bot, ActivityCategory category, const std::string& message,
                 int32_t privilege = -1, const std::string& name = {});

void DebugLog(Bot& bot, DebugCategory category, std::string_view format,
              std::initializer_list<FormatArg> args = {});

// Writes the debug lines of this tick; the heartbeat calls it once a tick.
void FlushDebugLog(Bot& bot);

// Six lines describing a marker record.
void DumpMarker(Bot& bot, DebugCategory category, const TMarkerRecord& marker);

}  // namespace tv
