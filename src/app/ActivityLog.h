#pragma once
// The two logs: the activity log (the operator's list, optionally copied line by line into the
// file named by LogFileName) and the always-on developer trace "debug.log". Every line is in the
// file, flushed to the operating system, when the call returns. A file that cannot be written
// never stops the bot: the failure is reported once as an "Error" activity entry and the work
// goes on.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "app/Format.h"
#include "app/OperatorModel.h"

namespace tv {

class Bot;
struct TMarkerRecord;

enum class DebugCategory : uint8_t { Cache, Callback, Command, Event, Marker, Queue, SessionTable };
const char* DebugCategoryName(DebugCategory category);

// Append-only text file kept open between lines; each line is flushed before Append returns.
class LogFile final {
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Returns false when the file cannot be opened or written; LastError() then says why.
    bool Append(const std::filesystem::path& path, const std::string& line);
    void Close();
    const std::string& LastError() const { return lastError_; }

private:
    bool Open(const std::filesystem::path& path);
    // True while the open handle still is the file at openPath_ (not deleted or replaced).
    bool StillAtPath() const;

    std::FILE* file_ = nullptr;
    std::filesystem::path openPath_;
    std::string lastError_;
};

class LogFiles final {
public:
    LogFile activity;
    LogFile debug;
    bool activityFailureReported = false;
    bool debugFailureReported = false;
};

// "%-24s %-11s %-7s %-19s %s": date/time, category, privilege, name, message.
std::string ActivityFileLine(const std::string& dateTime, ActivityCategory category,
                             int32_t privilege, const std::string& name,
                             const std::string& message);

void AddActivity(Bot& bot, ActivityCategory category, const std::string& message,
                 int32_t privilege = -1, const std::string& name = {});

void DebugLog(Bot& bot, DebugCategory category, std::string_view format,
              std::initializer_list<FormatArg> args = {});

// Six lines describing a marker record.
void DumpMarker(Bot& bot, DebugCategory category, const TMarkerRecord& marker);

}  // namespace tv
