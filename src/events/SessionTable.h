#pragma once
// One record per avatar present in the world, keyed by session number: whether the user's
// terrain session is enabled, idle time, flood counter, click mode and detach cells. Filled and
// emptied by the avatar events, swept every tick for idle sessions.

#include <algorithm>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "terrain/IntList.h"

namespace tv {

class Bot;

struct TTerrainSession {
    TIntList cells;       // cell keys planted while the detach flag was set
    TIntList cellOwners;  // in step with cells: the owner of the marker planted there
    int32_t session = 0;
    std::string name;
    int32_t citizen = 0;
    int32_t privilege = 0;
    int32_t x = 0, y = 0, z = 0;
    bool enabled = false;
    int32_t lastActivity = 0;  // ClockSeconds; 0 = none yet
    bool warned = false;
    bool isBot = false;
    bool isTourist = false;
    bool ghost = false;
    uint8_t clickMode = 3;  // a CommandState value
    uint8_t detach = 0;
    int64_t lastCommandMs = 0;  // monotonic time of the last counted command; 0 = none
    int32_t floodCount = 0;
};

// The records in insertion order, with an index by session number beside them (a thousand users
// make every event's look-up a walk otherwise). Look-ups and removals take the first record
// with a number, should a number ever be there twice.
class SessionTable final {
public:
    TTerrainSession* FindSession(int32_t session);
    TTerrainSession& Append(int32_t session);
    void Remove(int32_t session);
    void Clear();
    std::size_t Count() const { return records_.size(); }
    std::list<TTerrainSession>& Records() { return records_; }  // insertion order
    const std::list<TTerrainSession>& Records() const { return records_; }

    int32_t EnabledCount = 0;
    // The idle limits of the last time-out walk and the second from which a walk can find
    // something again: no enabled session reaches its warning or its end before it while the
    // limits stay the same (see CheckSessionTimeouts).
    struct TimeoutWalk {
        int32_t warnTime = -1, disableTime = -1;
        int64_t due = 0;  // ClockSeconds
    } timeoutWalk;
    // A session became active at `second`: its warning may come `warnTime` later.
    void TimeoutDueBy(int64_t second) { timeoutWalk.due = std::min(timeoutWalk.due, second); }

private:
    std::list<TTerrainSession> records_;
    std::unordered_map<int32_t, std::vector<std::list<TTerrainSession>::iterator>> bySession_;
};

void InstallAvatarEvents(Bot& bot);
void SessionTableReset(Bot& bot);
void TouchSession(Bot& bot, TTerrainSession& session);
// A cell planted during a detach session, recorded once, with the owner of its marker (the
// latest when planted again); forgotten when the user deletes that marker.
void RecordDetachCell(TTerrainSession& session, int32_t cellX, int32_t cellZ, int32_t owner);
void ForgetDetachCell(TTerrainSession& session, int32_t cellX, int32_t cellZ);
// True when the state changed. Bots, tourists (as the options say) and users outside the world
// are refused only when switching on; switching on starts the idle time. Switching off with
// detach queues a detach command for every recorded cell whose marker still has the owner it had
// when recorded, and empties the list.
bool SetSessionEnabled(Bot& bot, TTerrainSession& session, bool enable, bool detach);
// Every tick: warns idle enabled sessions once at WarnTime, switches them off at DisableTime.
void CheckSessionTimeouts(Bot& bot);
// Counts one chat command or marker click against FloodCommands (limit and window in seconds)
// and ejects the user for FloodEjectDuration when it floods; IsFloodEjected then refuses it.
void FloodCheck(Bot& bot, int32_t session);
bool IsFloodEjected(Bot& bot, int32_t session);
// Names of enabled sessions (all for -1, else of that privilege), sorted case-insensitively.
std::vector<std::string> EnabledSessionNames(Bot& bot, int32_t privilege);
void AnnounceToRightsHolders(Bot& bot);
// The features notice text for the current online flag and options.
std::string FeaturesNotice(Bot& bot);

// Avatar event handlers (events 0, 1, 2), reading the event's attributes.
void OnAvatarAdd(Bot& bot);
void OnAvatarChange(Bot& bot);
void OnAvatarDelete(Bot& bot);

}  // namespace tv
