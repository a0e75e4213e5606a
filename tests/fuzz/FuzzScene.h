#pragma once
// What the fuzz targets share: a failed property aborts (libFuzzer then keeps the input), and a
// logged-in bot on the embedded world with two users holding enabled terrain sessions, one of
// them working with the bot's own citizen's privileges so that caretaker commands run, and a few
// markers already learned. The debug log goes to /dev/null: a fuzz run would write gigabytes.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/TestBot.h"

namespace tv::fuzz {

inline void Check(bool condition) {
    if (!condition) std::abort();
}

class FuzzScene final {
public:
    static constexpr int32_t kCaretaker = 2;  // session with the bot citizen's privileges
    static constexpr int32_t kUser = 3;       // an ordinary user with terrain rights only
    static constexpr int32_t kUserCitizen = 3;
    struct Home {
        int32_t session, x, z;
    };
    static constexpr Home kHomes[] = {{kCaretaker, 1500, -1500}, {kUser, -500, -1500}};

    // TextureMin 3 and DefaultTexture 4; the starting markers are on cells (2,-1) "" (texture 0),
    // (1,-2) "5", (2,-2) "hole" and (1,-1) "7,90" hidden.
    FuzzScene();

    test::TestBot tb;
    Bot& bot() { return *tb.bot; }

    // Heartbeats until nothing is queued, pending, undelivered or unsent; false when maxTicks
    // were not enough.
    bool Settle(int maxTicks);
    // Every cached marker stands in the world on its anchor with its number, texture, rotation
    // and visibility, its cell's terrain (once set) is the marker's, and no cached cell without a
    // marker has a marker object on its anchor.
    void CheckCacheMatchesWorld();
    // Both users present at home with enabled sessions in their first state (hide on click, no
    // detach, no idle or flood count) and rights for everyone; false when a user is gone.
    bool ResetUsers();
};

}  // namespace tv::fuzz
