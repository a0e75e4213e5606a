#include "journal/JournalTypes.h"

#include <array>
#include <cctype>
#include <ctime>

#include "app/Format.h"

namespace tv {

namespace {

constexpr std::array<const char*, 12> kActionNames = {
    "build",  "delete",  "seed",       "texture",     "hide",     "show",
    "detach", "correct", "undo build", "undo delete", "rollback", "terrain",
};

constexpr int64_t kLongestSpan = int64_t{3650} * 86400;

bool SameMarkerLook(const MarkerState& a, const MarkerState& b) {
    return a.description == b.description && a.owner == b.owner && a.visible == b.visible &&
           a.height == b.height;
}

}  // namespace

const char* JournalActionName(JournalAction action) {
    const auto index = static_cast<std::size_t>(action);
    return index < kActionNames.size() ? kActionNames[index] : "?";
}

std::optional<JournalAction> JournalActionOf(const std::string& name) {
    for (std::size_t i = 0; i < kActionNames.size(); ++i)
        if (name == kActionNames[i]) return static_cast<JournalAction>(i);
    return std::nullopt;
}

bool IsUndoAction(JournalAction action) {
    return action == JournalAction::UndoBuild || action == JournalAction::UndoDelete;
}

bool SameLook(const CellState& a, const CellState& b) {
    if (a.marker.has_value() != b.marker.has_value()) return false;
    if (a.marker && !SameMarkerLook(*a.marker, *b.marker)) return false;
    return !a.terrain || !b.terrain || *a.terrain == *b.terrain;
}

bool SameState(const CellState& a, const CellState& b) {
    if (a.marker.has_value() != b.marker.has_value() || a.terrain != b.terrain) return false;
    return !a.marker ||
           (SameMarkerLook(*a.marker, *b.marker) && a.marker->number == b.marker->number);
}

std::optional<int64_t> ParseSpan(const std::string& text) {
    if (text.size() < 2 || text.size() > 8) return std::nullopt;
    int64_t count = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        count = count * 10 + (text[i] - '0');
    }
    int64_t unit = 0;
    switch (text.back()) {
        case 's':
            unit = 1;
            break;
        case 'm':
            unit = 60;
            break;
        case 'h':
            unit = 3600;
            break;
        case 'd':
            unit = 86400;
            break;
        default:
            return std::nullopt;
    }
    const int64_t seconds = count * unit;
    if (seconds <= 0 || seconds > kLongestSpan) return std::nullopt;
    return seconds;
}

std::string DescribeMarker(const std::optional<MarkerState>& marker) {
    if (!marker) return "none";
    return marker->visible ? marker->description : marker->description + " hidden";
}

std::string UtcMinuteText(int64_t unixSeconds) {
    const std::time_t time = static_cast<std::time_t>(unixSeconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    return Format("%.4d-%.2d-%.2d %.2d:%.2d", {parts.tm_year + 1900, parts.tm_mon + 1,
                                               parts.tm_mday, parts.tm_hour, parts.tm_min});
}

}  // namespace tv
