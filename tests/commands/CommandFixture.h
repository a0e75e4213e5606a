#pragma once
// The command tests' world: "wide", of size 20, where the bot logs in with flood counting off and
// a key language file (every reply text is its key in braces, every command word its key).

#include <gtest/gtest.h>

#include "support/BotTest.h"

namespace tv::test {

class CommandTest : public BotTest {
protected:
    static constexpr const char* kWorld = "wide";
    static constexpr int kWorldSize = 20;

    CommandTest() {
        UseWorld(kWorld, kWorldSize);
        options["FloodCommands"] = "10.90";
    }
    // Options and language overrides are set by the constructors; tests change options at run time.
    void SetUp() override { Login(); }

    // A user of `citizen` working with the bot's own privileges: the caretaker.
    void EnterCaretaker(int32_t session, int32_t citizen = 50) {
        Arrive({.session = session, .citizen = citizen, .privilege = TestBot::kBotCitizen});
    }

    // "t:begin", checked; the cells around the user queried.
    void Begin(int32_t session) {
        EXPECT_EQ(Command(session, "t:begin"), Texts{"{enable_message}"});
        EXPECT_TRUE(SessionOf(session).enabled);
        SettleQueries();
    }
};

}  // namespace tv::test
