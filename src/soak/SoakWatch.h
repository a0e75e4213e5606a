#pragma once
// The bot seen from outside, at the SDK seam: an AwSdk that hands every call on to the embedded
// world and watches what passes. It counts the rare paths a soak must reach and the reason codes
// the world refused calls with, and keeps the history some invariants need: the objects the bot
// built per cell and minute, markers that users without an enabled session built or deleted,
// console messages the world refused, and the cells the bot asked the world about. It reads the
// bot's state around each event but never changes it.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/AwSdk.h"
#include "app/Clock.h"

namespace tv {

class Bot;
class SimWorld;

enum class RarePath {
    ReconnectWithPending,  // the connection was lost while requests were in flight
    GivenUp,               // a refused request given up and its cell reconciled (activity log)
    LateAnswer,            // a query answered after it had been re-issued
    FloodEject,
    RivalMarker,      // a second marker in a known cell
    CorrectedMarker,  // a misplaced, rotated or unreadable marker replaced
    BuildUndone,      // a marker built without an enabled session removed
    DeleteUndone,     // a marker deleted without an enabled session rebuilt
    DetachEnded,      // a detach session switched off
    Count
};
inline constexpr std::size_t kRarePathCount = static_cast<std::size_t>(RarePath::Count);
const char* RarePathName(RarePath path);

// More objects than this built by the bot in one cell within one minute is a loop, not work.
inline constexpr int kBuildsPerCellMinute = 30;

using CellPos = std::pair<int32_t, int32_t>;

class SoakWatch final : public AwSdk {
public:
    SoakWatch(SimWorld& world, Clock& clock);

    // The bot whose state is read around events; null while none runs. A new bot starts a new
    // history of what it asked (queries, messages).
    void Attach(Bot* bot);

    std::array<int64_t, kRarePathCount> rare{};
    std::map<int, int64_t> refusals;        // reason code -> calls the world refused with it
    std::vector<std::string> violations;    // found as they happened (build loops)
    std::set<uint32_t> unauthorisedBuilds;  // object numbers the bot failed to remove
    std::set<CellPos> unauthorisedDeletes;  // cells whose marker the bot failed to rebuild
    // Refused messages (session, text) not sent since; a retry cannot be told from a copy.
    std::set<std::pair<int32_t, std::string>> lostMessages;
    std::set<CellPos> queriedCells;  // since the bot's world state was last reset
    std::string checkedConfig;       // the config.xml state the last check saw

    void Count(RarePath path) { ++rare[static_cast<std::size_t>(path)]; }

    // AwSdk: each call goes to the embedded world.
    int aw_init(int build) override;
    int aw_create(const std::string& host, int port, void** instance) override;
    int aw_login() override;
    int aw_enter(const std::string& world) override;
    int aw_wait(int milliseconds) override;
    int aw_session() override;
    int aw_destroy() override;
    int aw_term() override;
    int aw_event_set(int event, AwEventHandler handler) override;
    int aw_callback_set(int callback, AwCallbackHandler handler) override;
    int aw_int(int attribute) override;
    std::string aw_string(int attribute) override;
    bool aw_bool(int attribute) override;
    int aw_int_set(int attribute, int value) override;
    int aw_string_set(int attribute, const std::string& value) override;
    int aw_bool_set(int attribute, bool value) override;
    int aw_data_set(int attribute, const char* data, unsigned length) override;
    int aw_say(const std::string& text) override;
    int aw_whisper(int session, const std::string& text) override;
    int aw_console_message(int session) override;
    int aw_object_load() override;
    int aw_object_change() override;
    int aw_object_delete() override;
    int aw_cell_next() override;
    int aw_terrain_set(int cellX, int cellZ, int count, int value, const int* heights) override;
    int aw_has_world_right(int citizen, int right) override;
    int aw_citizen_attributes_by_name(const std::string& name) override;
    int aw_url_send(int session, const std::string& url, const std::string& target) override;
    int aw_world_eject() override;
    int aw_traffic_count(unsigned* bytesIn, unsigned* bytesOut) override;

private:
    struct Seen;  // what an event looked like before its handler ran
    int Result(int reason);
    void Deliver(int event, const AwEventHandler& handler);
    Seen Before(int event);
    void After(const Seen& seen);
    void Built(int32_t x, int32_t z);
    void ForgetRequests();
    bool ObjectExists(uint32_t number) const;

    SimWorld& world_;
    Clock& clock_;
    Bot* bot_ = nullptr;
    int loads_ = 0;                                   // objects the bot built so far
    std::map<CellPos, std::deque<int64_t>> builds_;   // ms of the bot's builds per cell
    std::map<CellPos, std::deque<int64_t>> queries_;  // ms of queries awaiting their answer
    std::set<CellPos> loopCells_;                     // cells already reported as a loop
};

}  // namespace tv
