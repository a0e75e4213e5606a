#include "app/ActivityLog.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "app/Bot.h"
#include "app/Clock.h"
#include "terrain/TerrainCache.h"

namespace tv {

const char* DebugCategoryName(DebugCategory category) {
    switch (category) {
        case DebugCategory::Cache:
            return "Cache";
        case DebugCategory::Callback:
            return "Callback";
        case DebugCategory::Command:
            return "Command";
        case DebugCategory::Event:
            return "Event";
        case DebugCategory::Marker:
            return "Marker";
        case DebugCategory::Queue:
            return "Queue";
        case DebugCategory::SessionTable:
            return "SessionTable";
    }
    return "";
}

LogFile::~LogFile() {
    Close();
}

void LogFile::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    openPath_.clear();
}

bool LogFile::Open(const std::filesystem::path& path) {
    Close();
    file_ = std::fopen(path.c_str(), "ab");
    if (!file_) {
        lastError_ = std::strerror(errno);
        return false;
    }
    openPath_ = path;
    return true;
}

bool LogFile::StillAtPath() const {
    struct stat opened {};
    struct stat named {};
    if (fstat(fileno(file_), &opened) != 0 || stat(openPath_.c_str(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool LogFile::Append(const std::filesystem::path& path, const std::string& line) {
    // Each line used to open the file afresh; a kept handle must not keep writing into a file
    // the operator has since deleted or moved away.
    if (file_ && (openPath_ != path || !StillAtPath())) Close();
    if (!file_ && !Open(path)) return false;
    errno = 0;
    bool written = std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
                   std::fputc('\n', file_) != EOF && std::fflush(file_) == 0;
    if (!written) {
        lastError_ = std::strerror(errno != 0 ? errno : EIO);
        Close();
    }
    return written;
}

std::string ActivityFileLine(const std::string& dateTime, ActivityCategory category,
                             int32_t privilege, const std::string& name,
                             const std::string& message) {
    ActivityEntry entry;
    entry.privilege = privilege;
    return Format("%-24s %-11s %-7s %-19s %s",
                  {dateTime, ActivityCategoryName(category), entry.PrivilegeText(), name, message});
}

namespace {

// Says once that a log file cannot be written, then carries on. The flag is set before the
// entry is added so that the Error entry's own failed write cannot report again.
void ReportLogFailure(Bot& bot, bool& reported, const std::filesystem::path& path,
                      const LogFile& file) {
    if (reported) return;
    reported = true;
    AddActivity(bot, ActivityCategory::Error,
                Format("Unable to write log file %s: %s", {path.string(), file.LastError()}));
}

}  // namespace

void AddActivity(Bot& bot, ActivityCategory category, const std::string& message, int32_t privilege,
                 const std::string& name) {
    ActivityEntry entry;
    entry.dateTime = LocalDateTimeText(bot.clock.UnixNow());
    entry.category = category;
    entry.privilege = privilege;
    entry.name = name;
    entry.message = message;
    bot.model.AddActivityEntry(std::move(entry));

    if (!bot.options.Flag(OptionFlag::EnableLog)) return;
    std::filesystem::path path = bot.PathOf(bot.options.LogFileName);
    std::string line = ActivityFileLine(LocalDateTimeText(bot.clock.UnixNow()), category, privilege,
                                        name, message);
    if (bot.logs.activity.Append(path, line)) {
        bot.logs.activityFailureReported = false;
    } else {
        ReportLogFailure(bot, bot.logs.activityFailureReported, path, bot.logs.activity);
    }
}

void DebugLog(Bot& bot, DebugCategory category, std::string_view format,
              std::initializer_list<FormatArg> args) {
    std::string text = Format(format, args);
    std::string line = "[";
    line.append(LocalDateTimeText(bot.clock.UnixNow())).append("] ");
    line.append(DebugCategoryName(category)).append(": ").append(text);
    std::filesystem::path path = bot.PathOf("debug.log");
    if (bot.logs.debug.Append(path, line)) {
        bot.logs.debugFailureReported = false;
    } else {
        ReportLogFailure(bot, bot.logs.debugFailureReported, path, bot.logs.debug);
    }
}

void DumpMarker(Bot& bot, DebugCategory category, const TMarkerRecord& marker) {
    DebugLog(bot, category, "terrain marker %.8X (%d):", {marker.Number, marker.Id});
    DebugLog(bot, category, "    Coord  = %d, %d", {marker.X, marker.Z});
    DebugLog(bot, category, "    Cell   = %d, %d", {marker.CellX, marker.CellZ});
    DebugLog(bot, category, "    Height = %d", {marker.Height});
    DebugLog(bot, category, "    Owner  = %d", {marker.Owner});
    DebugLog(bot, category, "    Valid  = %s", {marker.Valid ? "True" : "False"});
}

}  // namespace tv
