#pragma once
// A test case around a TestBot that users visit: letting them in, chatting, reading what the bot
// sends them, placing markers in the world or the cache, and running the heartbeat until the
// world is quiet.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "events/SessionTable.h"
#include "support/TestBot.h"
#include "terrain/TerrainCache.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"

namespace tv::test {

// A visitor. Rights are world rights of the citizen whose privileges the user works with.
struct Avatar {
    int32_t session = 0;
    int32_t citizen = 0;
    int32_t x = 0, z = 0;
    bool enable = false;  // terrain enabled, the queries it starts answered
    std::vector<int> rights{right::Terrain};
    std::string name = {};  // "user<citizen>" when empty
    int32_t privilege = 0;  // the citizen's own when 0
};

// Every field of a marker record on one line, so a record is checked in one comparison.
std::string MarkerText(const TMarkerRecord& marker);

class BotTest : public ::testing::Test {
protected:
    TestBot tb;
    std::string world = TestBot::kWorld;
    // Options written into config.xml by Login().
    std::map<std::string, std::string> options;
    std::map<std::string, std::string> languageOverrides;

    Bot& bot() { return *tb.bot; }

    // Another world of the universe, where the bot will log in.
    void UseWorld(const std::string& name, int size);
    // config.xml with `options`, the key language file with its overrides, then the login.
    Bot& Login();

    // The avatar entered and known to the bot; its first notices are read.
    TTerrainSession& Arrive(const Avatar& avatar);
    TTerrainSession& SessionOf(int32_t session);

    // The chat line through the world, one heartbeat.
    void Say(int32_t session, const std::string& text);
    // The chat line, then its replies.
    Texts Command(int32_t session, const std::string& text);
    // Texts sent to a session since the previous call; queued messages are sent first, which
    // also delivers the world's events (each sent message is followed by a wait).
    Texts Replies(int32_t session);
    // Texts waiting in the outgoing queue for a session (nothing is sent, nothing delivered).
    Texts Outgoing(int32_t session) const;

    // Heartbeats until nothing is queued, pending, undelivered or unsent (commands count only
    // while MaxCommands lets them run).
    void Settle();
    // Heartbeats until no cell query is queued or in flight.
    void SettleQueries();
    // Delivers the world's queued events without running the queues.
    void Deliver() { tb.world.aw_wait(0); }

    // A marker object at the anchor of cell (cellX, cellZ), put there without any event.
    SimObject Place(int32_t cellX, int32_t cellZ, const std::string& description, int32_t owner = 0,
                    int32_t height = 0);
    // The cell learned from the world by a query, ahead of anything queued; it must be new.
    void Learn(int32_t cellX, int32_t cellZ);
    // A marker of `owner` in the bot's cache at the cell's anchor (not in the world).
    void CacheMarker(int32_t cellX, int32_t cellZ, int32_t owner);
    TMarkerRecord Cached(int32_t cellX, int32_t cellZ);
    // Terrain marker objects standing exactly at (x, z).
    std::vector<SimObject> MarkersAt(int32_t x, int32_t z) const;

    // How many calls of an SDK function the call log holds.
    int Calls(const std::string& name) const;
    Cells QueuedCells() const;
    Cells RecordCells(CallbackType type) const;
    // "x,z STATE sSession", with " hole", " tTexture rRotation" when set.
    Texts QueuedCommands() const;
    std::string LastActivity() const;

private:
    void SettleUntil(const std::function<bool()>& quiet);
    std::map<int32_t, std::size_t> repliesSeen_;
    int32_t nextId_ = 1000000;
};

}  // namespace tv::test
