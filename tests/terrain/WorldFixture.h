#pragma once
// A logged-in bot in the test world with every message text replaced by its key in braces
// ("{not_enabled_message}"), everyone in the terrain rights list, and helpers to place markers,
// let users in, learn cells by query and run the heartbeat until the world is quiet.
// Header-only: the terrain and events test programs both include it.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/MessageQueue.h"
#include "commands/TerrainRights.h"
#include "config/Language.h"
#include "events/SessionTable.h"
#include "support/TestBot.h"
#include "terrain/MarkerIntake.h"
#include "terrain/TerrainCache.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"

namespace tv::test {

class WorldFixture : public ::testing::Test {
protected:
    TestBot tb;

    void SetUp() override {
        tb.Login();
        for (std::size_t i = 0; i < kLangKeyCount; ++i)
            bot().language.Set(static_cast<Lang>(i), Braced(static_cast<Lang>(i)));
        TerrainRightsFromString(bot().rights, "*");
    }

    Bot& bot() { return *tb.bot; }
    std::string World() const { return TestBot::kWorld; }

    // A user with terrain rights standing at (x, z), enabled unless asked otherwise; the queries
    // the enabling starts are answered before this returns.
    TTerrainSession& User(int32_t session, int32_t citizen, int32_t x = 0, int32_t z = 0,
                          bool enabled = true) {
        tb.Enter(session, citizen, x, z);
        tb.Tick();
        TTerrainSession* record = bot().sessions.FindSession(session);
        if (!record) throw std::runtime_error("the user did not arrive");
        if (enabled) SetSessionEnabled(bot(), *record, true, false);
        Settle();
        Replies(session);
        return *record;
    }

    // A marker object at the anchor of cell (cx, cz), put there without any event.
    SimObject Place(int32_t cellX, int32_t cellZ, const std::string& description, int32_t owner = 0,
                    int32_t height = 0) {
        SimObjectSpec shape;
        shape.x = cellX * 1000;
        shape.z = cellZ * 1000;
        shape.y = height;
        shape.description = description;
        shape.owner = owner;
        const uint32_t number = tb.world.PlaceObject(World(), shape);
        for (const SimObject& object : tb.world.Objects(World()))
            if (object.number == number) return object;
        throw std::runtime_error("the placed object is missing");
    }

    // The cell learned from the world by a query, ahead of anything queued. A known cell is
    // never queried again, so it must be new to the cache.
    void Learn(int32_t cellX, int32_t cellZ) {
        if (bot().cache.FindCell(cellX, cellZ) != -1)
            ADD_FAILURE() << "cell " << cellX << "," << cellZ << " is known already";
        TerrainQueueAddCell(bot(), cellX, cellZ, true);
        Settle();
    }

    // Heartbeats until nothing is queued, pending, undelivered or unsent.
    void Settle(int limit = 200) {
        for (int i = 0; i < limit; ++i) {
            if (bot().world.queries.Empty() && bot().world.commands.Empty() &&
                bot().world.callbacks.Empty() && tb.world.PendingDeliveries() == 0 &&
                bot().messages.Empty())
                return;
            tb.Tick();
        }
        ADD_FAILURE() << "the world did not settle";
    }

    // Delivers the world's queued events without running the queues.
    void Deliver() { tb.world.aw_wait(0); }

    // Texts waiting in the outgoing queue for a session (nothing is sent, nothing delivered).
    std::vector<std::string> Queued(int32_t session) const {
        std::vector<std::string> texts;
        const std::string prefix = kReplyPrefix;
        for (const TAwMessage& message : tb.bot->messages.Messages()) {
            if (message.session != session) continue;
            std::string text = message.text;
            if (text.rfind(prefix, 0) == 0) text.erase(0, prefix.size());
            texts.push_back(text);
        }
        return texts;
    }

    // Texts sent to a session since the previous call for it; queued messages are sent first,
    // which also delivers the world's events (each sent message is followed by a wait).
    std::vector<std::string> Replies(int32_t session) {
        for (int i = 0; i < 100 && PumpMessages(bot()) != 0; ++i) {
        }
        const std::vector<std::string> all = tb.ConsoleTo(session);
        std::size_t& seen = repliesSeen_[session];
        std::vector<std::string> fresh(all.begin() + static_cast<long>(seen), all.end());
        seen = all.size();
        return fresh;
    }

    // Terrain marker objects standing exactly at (x, z).
    std::vector<SimObject> MarkersAt(int32_t x, int32_t z) const {
        std::vector<SimObject> found;
        for (const SimObject& object : tb.world.Objects(TestBot::kWorld))
            if (object.x == x && object.z == z && object.model == "terrain.rwx")
                found.push_back(object);
        return found;
    }

    TMarkerRecord Cached(int32_t cellX, int32_t cellZ) {
        TMarkerRecord marker;
        TerrainMarkerInit(marker);
        bot().cache.ReadMarker(marker, cellX, cellZ, -1);
        return marker;
    }

    // How many calls of an SDK function the call log holds.
    int Calls(const std::string& name) const {
        int count = 0;
        for (const std::string& call : tb.world.CallLog())
            if (call.rfind(name + "(", 0) == 0) ++count;
        return count;
    }

    std::vector<std::pair<int32_t, int32_t>> QueuedCells() const {
        std::vector<std::pair<int32_t, int32_t>> cells;
        for (auto* node = tb.bot->world.queries.Head(); node; node = node->Next)
            cells.emplace_back(node->Item->CellX, node->Item->CellZ);
        return cells;
    }

    std::vector<std::pair<int32_t, int32_t>> RecordCells(CallbackType type) const {
        std::vector<std::pair<int32_t, int32_t>> cells;
        for (auto* node = tb.bot->world.callbacks.Head(); node; node = node->Next)
            if (node->Item->Type == type) cells.emplace_back(node->Item->CellX, node->Item->CellZ);
        return cells;
    }

private:
    std::map<int32_t, std::size_t> repliesSeen_;
};

}  // namespace tv::test
