// The SDK seam watched from outside: calls pass through unchanged; events are wrapped so that the
// bot's state can be read just before and just after each handler.

#include "soak/SoakWatch.h"

#include <algorithm>

#include "app/Bot.h"
#include "app/Format.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainStruct.h"
#include "world/SimWorld.h"

namespace tv {

namespace {

constexpr int64_t kMinuteMs = 60'000;
constexpr int64_t kTimeoutMs = kCallbackTimeoutSeconds * 1000;

}  // namespace

const char* RarePathName(RarePath path) {
    static constexpr const char* kNames[] = {"reconnect with requests pending",
                                             "request given up and reconciled",
                                             "re-issued query answered late",
                                             "flood ejection",
                                             "rival marker",
                                             "corrected marker",
                                             "unauthorised build undone",
                                             "unauthorised delete undone",
                                             "detach session ended"};
    return kNames[static_cast<std::size_t>(path)];
}

struct SoakWatch::Seen {
    int event = 0;
    CellPos cell;
    bool marker = false;         // a terrain marker object
    bool unauthorised = false;   // its builder or deleter had no enabled session
    bool rival = false;          // another marker stood in the known cell
    bool detachSession = false;  // the speaker's detach session was on
    int32_t session = 0;
    uint32_t number = 0;
    int loads = 0;
};

SoakWatch::SoakWatch(SimWorld& world, Clock& clock) : world_(world), clock_(clock) {}

void SoakWatch::Attach(Bot* bot) {
    bot_ = bot;
    ForgetRequests();
}

void SoakWatch::ForgetRequests() {
    queriedCells.clear();
    queries_.clear();
    lostMessages.clear();
}

int SoakWatch::Result(int result) {
    if (result != 0) ++refusals[result];
    return result;
}

bool SoakWatch::ObjectExists(uint32_t number) const {
    const auto& objects = world_.Objects(world_.EnteredWorld());
    return std::any_of(objects.begin(), objects.end(),
                       [number](const SimObject& o) { return o.number == number; });
}

SoakWatch::Seen SoakWatch::Before(int event) {
    Seen seen;
    seen.event = event;
    seen.loads = loads_;
    if (!bot_) return seen;
    seen.cell = {world_.AttributeInt(attr::CellX), world_.AttributeInt(attr::CellZ)};
    seen.marker = world_.AttributeInt(attr::ObjectType) == 0 &&
                  SameText(world_.AttributeText(attr::ObjectModel), kMarkerModel);
    seen.number = static_cast<uint32_t>(world_.AttributeInt(attr::ObjectNumber));
    const int32_t actor = world_.AttributeInt(attr::ObjectSession);
    const TTerrainSession* session =
        actor == SimWorld::kBotSession ? nullptr : bot_->sessions.FindSession(actor);
    const TTerrainCacheX* entry = bot_->cache.Entry(seen.cell.first, seen.cell.second);
    switch (event) {
        case event::ObjectAdd:
        case event::CellObject:
            if (!seen.marker || bot_->cellQuery.CellIgnore) break;
            seen.unauthorised = event == event::ObjectAdd && session && !session->enabled;
            seen.rival = entry && entry->Id != 0 && entry->Number != seen.number &&
                         actor != SimWorld::kBotSession;
            break;
        case event::ObjectDelete: {
            const bool wasMarker =
                entry && entry->HasMarker && entry->Id == world_.AttributeInt(attr::ObjectId);
            seen.unauthorised = wasMarker && session && !session->enabled && !entry->ChangePending;
            // A marker deleted with the right to do so needs no rebuilding any more.
            if (wasMarker && !seen.unauthorised) unauthorisedDeletes.erase(seen.cell);
            break;
        }
        case event::Chat: {
            seen.session = world_.AttributeInt(attr::ChatSession);
            const TTerrainSession* speaker = bot_->sessions.FindSession(seen.session);
            seen.detachSession = speaker && speaker->enabled && speaker->detach;
            break;
        }
        case event::WorldDisconnect:
            if (!bot_->world.callbacks.Empty()) Count(RarePath::ReconnectWithPending);
            // The world drops the answers it still owed.
            queries_.clear();
            break;
        case event::CellEnd: {
            auto waiting = queries_.find(seen.cell);
            if (waiting == queries_.end() || waiting->second.empty()) break;
            const int64_t sent = waiting->second.front();
            waiting->second.pop_front();
            if (!waiting->second.empty() && clock_.MonotonicMs() - sent > kTimeoutMs)
                Count(RarePath::LateAnswer);
            break;
        }
        default:
            break;
    }
    return seen;
}

void SoakWatch::After(const Seen& seen) {
    if (!bot_) return;
    const bool loaded = loads_ > seen.loads;
    switch (seen.event) {
        case event::ObjectAdd:
        case event::CellObject:
            if (seen.unauthorised) {
                if (ObjectExists(seen.number))
                    unauthorisedBuilds.insert(seen.number);
                else
                    Count(RarePath::BuildUndone);
            } else if (seen.rival) {
                Count(RarePath::RivalMarker);
            }
            if (loaded && !seen.unauthorised) Count(RarePath::CorrectedMarker);
            // A marker the bot took for the cell stands for one deleted there without the right
            // to: the bot no longer owes the cell the old one.
            if (const TTerrainCacheX* entry = bot_->cache.Entry(seen.cell.first, seen.cell.second);
                entry && entry->Id != 0 && entry->Number == seen.number)
                unauthorisedDeletes.erase(seen.cell);
            break;
        case event::ObjectDelete:
            if (!seen.unauthorised) break;
            if (loaded)
                Count(RarePath::DeleteUndone);
            else
                unauthorisedDeletes.insert(seen.cell);
            break;
        case event::Chat: {
            const TTerrainSession* speaker = bot_->sessions.FindSession(seen.session);
            if (seen.detachSession && speaker && !speaker->enabled) Count(RarePath::DetachEnded);
            // The cache was cleared: what it was asked before no longer has to be known.
            if (bot_->cache.QueriedCells() == 0) queriedCells.clear();
            break;
        }
        default:
            break;
    }
}

void SoakWatch::Deliver(int event, const AwEventHandler& handler) {
    const Seen seen = Before(event);
    handler();
    After(seen);
}

void SoakWatch::Built(int32_t x, int32_t z) {
    const CellPos cell{FloorToCell(x), FloorToCell(z)};
    // A marker the bot built there stands for the one deleted without the right to.
    unauthorisedDeletes.erase(cell);
    const int64_t now = clock_.MonotonicMs();
    std::deque<int64_t>& times = builds_[cell];
    times.push_back(now);
    while (!times.empty() && now - times.front() >= kMinuteMs) times.pop_front();
    if (times.size() <= static_cast<std::size_t>(kBuildsPerCellMinute)) return;
    if (!loopCells_.insert(cell).second) return;
    violations.push_back("the bot built " + std::to_string(times.size()) + " objects in cell " +
                         std::to_string(cell.first) + " " + std::to_string(cell.second) +
                         " within one minute");
}

// ---- Calls ------------------------------------------------------------------------------------

int SoakWatch::aw_init(int build) {
    return world_.aw_init(build);
}
int SoakWatch::aw_create(const std::string& host, int port, void** instance) {
    return Result(world_.aw_create(host, port, instance));
}
int SoakWatch::aw_login() {
    return Result(world_.aw_login());
}
int SoakWatch::aw_enter(const std::string& world) {
    return Result(world_.aw_enter(world));
}
int SoakWatch::aw_wait(int milliseconds) {
    // A message to somebody who has left since is not lost: nobody was there to read it.
    if (!lostMessages.empty()) {
        const std::vector<int32_t> present = world_.AvatarSessions();
        std::erase_if(lostMessages, [&present](const auto& m) {
            return std::find(present.begin(), present.end(), m.first) == present.end();
        });
    }
    return world_.aw_wait(milliseconds);
}
int SoakWatch::aw_session() {
    return world_.aw_session();
}
int SoakWatch::aw_destroy() {
    // Whatever the bot asked of that instance is forgotten with it, as the bot forgets its work.
    ForgetRequests();
    unauthorisedBuilds.clear();
    unauthorisedDeletes.clear();
    return world_.aw_destroy();
}
int SoakWatch::aw_term() {
    return world_.aw_term();
}
int SoakWatch::aw_event_set(int event, AwEventHandler handler) {
    if (!handler) return world_.aw_event_set(event, std::move(handler));
    return world_.aw_event_set(
        event, [this, event, handler = std::move(handler)] { Deliver(event, handler); });
}
int SoakWatch::aw_callback_set(int callback, AwCallbackHandler handler) {
    return world_.aw_callback_set(callback, std::move(handler));
}
int SoakWatch::aw_int(int attribute) {
    return world_.aw_int(attribute);
}
std::string SoakWatch::aw_string(int attribute) {
    return world_.aw_string(attribute);
}
bool SoakWatch::aw_bool(int attribute) {
    return world_.aw_bool(attribute);
}
int SoakWatch::aw_int_set(int attribute, int value) {
    return world_.aw_int_set(attribute, value);
}
int SoakWatch::aw_string_set(int attribute, const std::string& value) {
    return world_.aw_string_set(attribute, value);
}
int SoakWatch::aw_bool_set(int attribute, bool value) {
    return world_.aw_bool_set(attribute, value);
}
int SoakWatch::aw_data_set(int attribute, const char* data, unsigned length) {
    return world_.aw_data_set(attribute, data, length);
}
int SoakWatch::aw_say(const std::string& text) {
    return Result(world_.aw_say(text));
}
int SoakWatch::aw_whisper(int session, const std::string& text) {
    return Result(world_.aw_whisper(session, text));
}

int SoakWatch::aw_console_message(int session) {
    const std::string text = world_.AttributeText(attr::ConsoleMessage);
    const int result = Result(world_.aw_console_message(session));
    // A refused message to somebody still present is lost unless it is sent again.
    // The world's "no such session" means the user was gone: nobody lost it.
    if (result == 0 || result == reason::NoSuchSession)
        lostMessages.erase({session, text});
    else
        lostMessages.insert({session, text});
    return result;
}

int SoakWatch::aw_object_load() {
    const int result = Result(world_.aw_object_load());
    if (result == 0) {
        ++loads_;
        Built(world_.AttributeInt(attr::ObjectX), world_.AttributeInt(attr::ObjectZ));
    }
    return result;
}

int SoakWatch::aw_object_change() {
    const int result = Result(world_.aw_object_change());
    if (result == 0) Built(world_.AttributeInt(attr::ObjectX), world_.AttributeInt(attr::ObjectZ));
    return result;
}

int SoakWatch::aw_object_delete() {
    return Result(world_.aw_object_delete());
}

int SoakWatch::aw_cell_next() {
    int32_t cellX = 0, cellZ = 0;
    UnpackCellKey(static_cast<uint32_t>(world_.AttributeInt(attr::CellIterator)), cellX, cellZ);
    const std::size_t before = world_.PendingDeliveries();
    const int result = Result(world_.aw_cell_next());
    if (result == 0) {
        queriedCells.insert({cellX, cellZ});
        // A query the world will never answer (muted) queues nothing.
        if (world_.PendingDeliveries() > before)
            queries_[{cellX, cellZ}].push_back(clock_.MonotonicMs());
    }
    return result;
}

int SoakWatch::aw_terrain_set(int cellX, int cellZ, int count, int value, const int* heights) {
    return Result(world_.aw_terrain_set(cellX, cellZ, count, value, heights));
}
int SoakWatch::aw_has_world_right(int citizen, int right) {
    return world_.aw_has_world_right(citizen, right);
}
int SoakWatch::aw_citizen_attributes_by_name(const std::string& name) {
    return Result(world_.aw_citizen_attributes_by_name(name));
}
int SoakWatch::aw_url_send(int session, const std::string& url, const std::string& target) {
    return Result(world_.aw_url_send(session, url, target));
}
int SoakWatch::aw_world_eject() {
    const int result = Result(world_.aw_world_eject());
    if (result == 0) Count(RarePath::FloodEject);
    return result;
}
int SoakWatch::aw_traffic_count(unsigned* bytesIn, unsigned* bytesOut) {
    return world_.aw_traffic_count(bytesIn, bytesOut);
}

}  // namespace tv
