#pragma once
// A logged-in bot on the embedded world in a fresh temporary folder (its debug log a real file
// there), and the ways the benchmarks build their state: markers placed in the world, cells
// learned through the bot's own paced queries, users who enter and switch their terrain
// session on by chat, commands typed by a user. Nothing is put into the bot's structures
// directly.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/Bot.h"
#include "app/Clock.h"
#include "world/SimWorld.h"

namespace tv::bench {

class QuietFrontEnd final : public FrontEnd {
public:
    void ShowError(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    bool ConfirmYesNo(const std::string&) override { return true; }
};

// A cell of the world by its place in row-major order from the south-east corner.
struct Cell {
    int32_t x = 0, z = 0;
};

class Rig final {
public:
    // A world of (2 * size + 1)^2 cells; the bot logged in and "Active".
    explicit Rig(int32_t worldSize);
    ~Rig();
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    int32_t Size() const { return size_; }
    int64_t CellCount() const { return int64_t{Side()} * Side(); }
    Cell CellAt(int64_t index) const;

    // A marker on each cell `wanted` picks (by row-major index), owned by 1000 + index % owners.
    void PlaceMarkers(int64_t first, int64_t count, int every, int owners = 1);
    // Queues the cells [first, first + count) for querying (a bounded number at a time) and
    // ticks until all are learned, `perTick` queries a tick meanwhile.
    int64_t Learn(int64_t first, int64_t count, int perTick);
    // Ticks until the query queue is empty and no query is in flight; returns the ticks.
    int64_t TickUntilLearned();
    // `count` users with terrain rights enter (sessions 10, 11, ...) spread over the world and
    // switch their terrain session on with the chat command.
    void AddWorkingUsers(int count);
    // A user (session 9) owning the markers of citizen `owner` enters and types `lines`.
    void Say(int32_t session, const std::string& line);
    int32_t EnterUser(int32_t session, int32_t citizen, int32_t privilege, Cell at);

    void Tick(int ticks = 1);
    // Virtual milliseconds since the rig was made.
    int64_t ElapsedMs() const { return clock.ElapsedMs(); }

    std::filesystem::path dir;
    VirtualClock clock;
    SimWorld world{clock};
    QuietFrontEnd frontEnd;
    std::unique_ptr<Bot> owned;
    Bot& bot;

private:
    int32_t Side() const { return 2 * size_ + 1; }
    int32_t size_;
};

// A temporary folder removed with the object.
std::filesystem::path MakeTempDir();

}  // namespace tv::bench
