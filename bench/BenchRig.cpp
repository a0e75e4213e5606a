#include "BenchRig.h"

#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "app/Connection.h"
#include "nox/Embedded.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"

namespace tv::bench {

namespace {

// Queued at most this many cells at a time while learning, so the queue's own memory stays small.
constexpr int64_t kLearnChunk = 100'000;

}  // namespace

std::filesystem::path MakeTempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "terravane-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    return pattern;
}

Rig::Rig(int32_t worldSize)
    : dir(MakeTempDir()),
      owned(std::make_unique<Bot>(world, clock, frontEnd, dir)),
      bot(*owned),
      size_(worldSize) {
    EnsureLanguageFile(dir);
    EnsureStarterConfig(dir);
    bot.Start();
    world.AddWorld(kStarterWorld, worldSize);
    world.AddCitizen(kStarterCitizen, "Terravane", kStarterPassword);
    world.SetWorldRight(kStarterWorld, kStarterCitizen, 57, true);
    world.SetWorldRight(kStarterWorld, kStarterCitizen, 162, true);
    LoginClick(bot);
    Tick();
    if (bot.model.Status() != "Active") throw std::runtime_error("the bot did not log in");
    // Hours of virtual time pass in some benchmarks: sessions must not idle out meanwhile.
    bot.options.WarnTime = bot.options.DisableTime = 1 << 30;
}

Rig::~Rig() {
    owned.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

Cell Rig::CellAt(int64_t index) const {
    return {static_cast<int32_t>(index % Side()) - size_,
            static_cast<int32_t>(index / Side()) - size_};
}

void Rig::PlaceMarkers(int64_t first, int64_t count, int every, int owners) {
    std::vector<SimObjectSpec> markers;
    for (int64_t n = first; n < first + count; ++n) {
        if (n % every != 0) continue;
        const Cell cell = CellAt(n);
        SimObjectSpec marker;
        marker.x = cell.x * 1000;
        marker.z = cell.z * 1000;
        marker.y = static_cast<int32_t>(n % 50);
        marker.description = std::to_string(n % 60);
        marker.owner = 1000 + static_cast<int32_t>(n % owners);
        markers.push_back(std::move(marker));
    }
    world.PlaceObjects(kStarterWorld, markers);
}

int64_t Rig::TickUntilLearned() {
    int64_t ticks = 0;
    while (!bot.world.queries.Empty() || CallbackCount(bot, CallbackType::CellQuery) > 0) {
        Tick();
        ++ticks;
    }
    return ticks;
}

int64_t Rig::Learn(int64_t first, int64_t count, int perTick) {
    const int32_t pacing = bot.options.MaxQueries;
    bot.options.MaxQueries = perTick;
    int64_t ticks = 0;
    for (int64_t n = first; n < first + count;) {
        const int64_t end = std::min(first + count, n + kLearnChunk);
        for (; n < end; ++n) TerrainQueueAddCell(bot, CellAt(n).x, CellAt(n).z, false);
        ticks += TickUntilLearned();
    }
    bot.options.MaxQueries = pacing;
    return ticks;
}

int32_t Rig::EnterUser(int32_t session, int32_t citizen, int32_t privilege, Cell at) {
    world.AddCitizen(citizen, "user" + std::to_string(citizen));
    world.SetWorldRight(kStarterWorld, privilege, 50, true);
    world.UserEnter(session, citizen, at.x * 1000, 0, at.z * 1000, privilege);
    return session;
}

void Rig::AddWorkingUsers(int count) {
    for (int i = 0; i < count; ++i) {
        const int64_t spread = CellCount() / std::max(count, 1);
        EnterUser(10 + i, 2000 + i, 2000 + i, CellAt(spread * i + spread / 2));
        world.UserChat(10 + i, "t:begin");
    }
    // Their replies and the queries of their areas settle before anything is measured.
    while (!bot.messages.Empty()) Tick();
    TickUntilLearned();
}

void Rig::Say(int32_t session, const std::string& line) {
    world.UserChat(session, line);
}

void Rig::Tick(int ticks) {
    for (int i = 0; i < ticks; ++i) {
        clock.Advance(250);
        bot.Tick();
    }
}

}  // namespace tv::bench
