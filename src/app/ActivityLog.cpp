#include "app/ActivityLog.h"

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

namespace {

std::string LostLines(uint64_t lost) {
    return Format("%u log line%s lost: the file could not be written",
                  {static_cast<unsigned long>(lost), lost == 1 ? "" : "s"});
}

}  // namespace

LogFiles::LogFiles(std::filesystem::path debugLogPath) : debugPath(std::move(debugLogPath)) {
    debug.SetRotation(kDebugRotateBytes, kDebugKeep);
    debug.LostNotice = [this](uint64_t lost) { return "[" + stamp_ + "] Log: " + LostLines(lost); };
    activity.LostNotice = [this](uint64_t lost) {
        return ActivityFileLine(stamp_, ActivityCategory::Error, -1, "", LostLines(lost));
    };
}

const std::string& LogFiles::Stamp(int64_t unixSeconds) {
    if (unixSeconds != stampSecond_ || stamp_.empty()) {
        stampSecond_ = unixSeconds;
        stamp_ = LocalDateTimeText(unixSeconds);
    }
    return stamp_;
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
    const int64_t now = bot.clock.UnixNow();
    entry.dateTime = bot.logs.Stamp(now);
    entry.category = category;
    entry.privilege = privilege;
    entry.name = name;
    entry.message = message;
    bot.model.AddActivityEntry(std::move(entry));

    if (!bot.options.Flag(OptionFlag::EnableLog)) return;
    std::filesystem::path path = bot.PathOf(bot.options.LogFileName);
    // The clock is read again for the file, as the list's time and the file's may differ.
    const int64_t written = bot.clock.UnixNow();
    std::string line =
        ActivityFileLine(bot.logs.Stamp(written), category, privilege, name, message);
    if (bot.logs.activity.Append(path, line, written)) {
        bot.logs.activityFailureReported = false;
    } else {
        ReportLogFailure(bot, bot.logs.activityFailureReported, path, bot.logs.activity);
    }
}

void DebugLog(Bot& bot, DebugCategory category, std::string_view format,
              std::initializer_list<FormatArg> args) {
    LogFiles& logs = bot.logs;
    const int64_t now = bot.clock.UnixNow();
    std::string& line = logs.line;
    line.assign(1, '[');
    line.append(logs.Stamp(now)).append("] ").append(DebugCategoryName(category)).append(": ");
    FormatAppend(line, format, args);
    // Lines wait in memory until the tick ends: only a file that cannot be opened shows here.
    if (!logs.debug.Append(logs.debugPath, line, now))
        ReportLogFailure(bot, logs.debugFailureReported, logs.debugPath, logs.debug);
}

void FlushDebugLog(Bot& bot) {
    LogFiles& logs = bot.logs;
    const bool waiting = logs.debug.Waiting() > 0;
    if (!logs.debug.Flush(bot.clock.UnixNow()))
        ReportLogFailure(bot, logs.debugFailureReported, logs.debugPath, logs.debug);
    else if (waiting)
        logs.debugFailureReported = false;
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
