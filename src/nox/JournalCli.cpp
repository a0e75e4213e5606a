#include "nox/JournalCli.h"

#include <ostream>

#include "app/Clock.h"
#include "app/Format.h"
#include "config/MicroXml.h"
#include "config/Options.h"
#include "journal/JournalStore.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

constexpr int32_t kAroundCell = 2;
constexpr int kDefaultLimit = 100;

struct Filters {
    std::string world;
    int32_t operatorCitizen = 0;
    std::optional<int32_t> citizen;
    std::optional<int64_t> span;
    std::optional<JournalArea> area;
    int limit = kDefaultLimit;
    std::vector<std::string> rest;  // words that are not options
};

// Login/World and Login/CitizenNumber of the folder's config.xml, when there is one.
void ReadConfig(const std::filesystem::path& dir, Filters& filters) {
    if (!std::filesystem::exists(dir / kConfigFileName)) return;
    TMicroXmlDocument document;
    document.LoadFromFile((dir / kConfigFileName).string());
    const TMicroXmlElement* root = document.Root();
    const int login = root ? root->FindChild("Login") : -1;
    if (login < 0) return;
    const TMicroXmlElement* element = root->Child(static_cast<std::size_t>(login));
    filters.world = element->ChildText("World", "");
    TryStrToInt(element->ChildText("CitizenNumber", "0"), filters.operatorCitizen);
}

// Throws EConvertError for an option without its values or a value that is no number.
Filters Parse(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    Filters filters;
    ReadConfig(dir, filters);
    auto value = [&](std::size_t& i) -> const std::string& {
        if (++i >= args.size()) throw EConvertError(args[i - 1] + " needs a value");
        return args[i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--citizen") {
            filters.citizen = StrToInt(value(i));
        } else if (arg == "--since") {
            filters.span = ParseSpan(value(i));
            if (!filters.span) throw EConvertError("'" + args[i] + "' is not a span like 2h or 3d");
        } else if (arg == "--cell") {
            const int32_t x = StrToInt(value(i));
            const int32_t z = StrToInt(value(i));
            filters.area = {x - kAroundCell, x + kAroundCell, z - kAroundCell, z + kAroundCell};
        } else if (arg == "--world") {
            filters.world = value(i);
        } else if (arg == "--limit") {
            filters.limit = StrToInt(value(i));
        } else {
            filters.rest.push_back(arg);
        }
    }
    return filters;
}

std::string MarkerText(const std::optional<MarkerState>& marker) {
    return marker ? DescribeMarker(marker) + Format(" #%d", {marker->owner}) : "none";
}

std::string TerrainText(const std::optional<TerrainState>& terrain) {
    return terrain ? Format("%d/%d", {terrain->value, terrain->height}) : "?";
}

}  // namespace

int PrintJournalHistory(const std::filesystem::path& dir, const std::vector<std::string>& args,
                        std::ostream& out, std::ostream& err) {
    const Filters filters = Parse(dir, args);
    if (!filters.rest.empty()) {
        err << "terravane-nox: unknown --history argument '" << filters.rest.front() << "'\n";
        return 2;
    }
    JournalStore store(dir, false);
    JournalQuery query{filters.world, filters.citizen, std::nullopt, filters.area};
    if (filters.span) query.since = RealClock().UnixNow() - *filters.span;
    int64_t total = 0;
    const std::vector<JournalEntry> entries = store.Latest(query, filters.limit, &total);
    const char* kRow = "%-6s %-16s %-12s %-11s %-8s %-16s %-11s %-14s %-14s %s\n";
    out << Format(kRow, {"id", "time (UTC)", "world", "cell", "citizen", "name", "action", "before",
                         "after", "terrain"});
    for (const JournalEntry& entry : entries) {
        out << Format(
            kRow, {std::to_string(entry.id), UtcMinuteText(entry.time), entry.world,
                   Format("%d,%d", {entry.x, entry.z}), std::to_string(entry.citizen), entry.name,
                   JournalActionName(entry.action), MarkerText(entry.before.marker),
                   MarkerText(entry.after.marker),
                   TerrainText(entry.before.terrain) + ">" + TerrainText(entry.after.terrain)});
    }
    out << Format("%d of %d entries\n",
                  {static_cast<long long>(entries.size()), static_cast<long long>(total)});
    return 0;
}

int QueueJournalRollback(const std::filesystem::path& dir, const std::vector<std::string>& args,
                         std::ostream& out, std::ostream& err) {
    const Filters filters = Parse(dir, args);
    int32_t citizen = 0;
    const std::optional<int64_t> span =
        filters.rest.size() == 2 ? ParseSpan(filters.rest[1]) : std::nullopt;
    if (!span || !TryStrToInt(filters.rest[0], citizen) || citizen < 0 || filters.world.empty()) {
        err << "terravane-nox: --rollback needs a citizen number and a span like 2h or 3d "
               "(and a world, from config.xml or --world)\n";
        return 2;
    }
    JournalStore store(dir, false);
    RollbackRequest request;
    request.world = filters.world;
    request.citizen = citizen;
    request.since = RealClock().UnixNow() - *span;
    request.area = filters.area;
    request.actor = filters.operatorCitizen;
    request.actorName = "operator";
    const int64_t id = store.AddRollback(request);
    out << Format("Rollback %d of #%d in %s queued for the next login\n",
                  {static_cast<long long>(id), citizen, filters.world});
    return 0;
}

}  // namespace tv
