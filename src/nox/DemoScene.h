#pragma once
// A short built-in scene for newcomers: users enter the embedded world and work with the bot
// (begin, seed, texture, hide/show), a user without terrain rights is refused, a flooder is
// ejected. Steps fire as time passes; the bot keeps running afterwards.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tv {

class SimWorld;

class DemoScene final {
public:
    DemoScene(SimWorld& world, std::string worldName);
    // Sets up the demo citizens and their world rights.
    void Prepare();
    // Runs every step due at `elapsedMs` since the scene began.
    void Advance(int64_t elapsedMs);
    bool Finished() const { return next_ >= steps_.size(); }
    // The rights text the scene expects: the users who may work with terrain.
    static constexpr const char* kRights = "101,103";

private:
    struct Step {
        int64_t atMs;
        std::function<void()> action;
    };
    SimWorld& world_;
    std::string worldName_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
};

}  // namespace tv
