#include "commands/TerrainRights.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "app/Bot.h"
#include "support/BotTest.h"

namespace tv {
namespace {

// Each text replaces the whole list; then the citizens it grants and some it refuses.
TEST(TerrainRights, TextIsNormalisedWhenReadAndGrantsRangesAndEveryone) {
    struct Case {
        const char* text;
        const char* stored;
        std::vector<int32_t> granted = {}, refused = {};
    };
    const Case cases[] = {
        {"12,5,7", "5,7,12"},                  // numeric order, not text order
        {"7,*,9", "*", {0, 2147483647, -5}},   // an asterisk anywhere wins
        {"-1", "*"},                           // low bound -1 means everyone
        {"3,-1~40", "*"},                      // whatever the high bound
        {"abc", "0", {0}, {1}},                // not a number: citizen 0
        {"1 ,2", "0,2"},                       // trailing blank makes the entry unreadable
        {"1, 2", "1,2"},                       // leading blanks are skipped
        {" \t4", "4"},                         // tabs too
        {"5~", "5~0"},                         // unreadable high bound stays 0
        {"~7", "0"},                           // unreadable low bound stops the scan
        {"5 ~7", "5~0"},                       // "~" must follow the number at once
        {"5~ 7", "5~7"},                       // a number field skips its blanks
        {"3~3", "3"},                          // equal bounds print as one number
        {"20~12", "20~12", {}, {12, 15, 20}},  // reversed ranges: kept, grant nobody
        {"5~10,20", "20,5~10", {5, 7, 10, 20}, {4, 11}},  // a range sorts as text
        {",,3,,", "3"},                                   // empty entries are dropped
        {"", "", {}, {0, 1}},                             // nobody
        {"99999999999", "0"},  // beyond 32 bits is unreadable, never wrapped
        {"-2147483648", "-2147483648"},
    };
    TTerrainRightsList list;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TerrainRightsFromString(list, c.text), c.stored);
        EXPECT_EQ(TerrainRightsToString(list), c.stored);
        for (int32_t citizen : c.granted) EXPECT_TRUE(TerrainRightsHasCitizen(list, citizen));
        for (int32_t citizen : c.refused) EXPECT_FALSE(TerrainRightsHasCitizen(list, citizen));
    }
}

TEST(TerrainRights, AddAppendsAndRemoveTakesEntriesBeginningAtTheNumber) {
    // The list, whether the citizen is added or removed, the citizen, the list after.
    const std::tuple<const char*, bool, int32_t, const char*> cases[] = {
        {"5,12", true, 3, "5,12,3"},   // appended, not sorted
        {"5,12", true, 5, "5,12,5"},   // no duplicate check
        {"5~10", false, 7, "5~10"},    // a containing range stays
        {"5~10,5", false, 5, ""},      // a range beginning at the number goes
        {"5,5,6,5", false, 5, "6"},    // every entry, adjacent ones too
        {"*", false, -1, ""},          // everyone begins at -1
        {"*", false, 5, "*"},          // everyone stays
        {"3,8~9", false, 9, "3,8~9"},  // the high bound does not count
    };
    for (const auto& [before, add, citizen, after] : cases) {
        TTerrainRightsList list;
        TerrainRightsFromString(list, before);
        add ? TerrainRightsAdd(list, citizen) : TerrainRightsRemove(list, citizen);
        EXPECT_EQ(TerrainRightsToString(list), after) << add << " " << citizen << " on " << before;
    }
}

TEST(TerrainRights, SortNumericStrings) {
    using List = std::vector<std::string>;
    const std::pair<List, List> cases[] = {
        {{"10", "9", "100", "0"}, {"0", "9", "10", "100"}},
        {{"-1", "-30", "-5"}, {"-30", "-5", "-1"}},  // larger magnitude first
        {{"3", "-2"}, {"3", "-2"}},                  // negative after a smaller non-negative
        {{"-2", "1"}, {"-2", "1"}},                  // ...but before a smaller one
        {{"beta", "Alpha", "gamma"}, {"Alpha", "beta", "gamma"}},
        {{"b", "10", "a"}, {"10", "a", "b"}},  // text rules once either side is text
        {{"-2147483648", "5"}, {"-2147483648", "5"}},
        {{}, {}},
    };
    for (auto [list, sorted] : cases) {
        SortNumericStrings(list);
        EXPECT_EQ(list, sorted);
    }
}

TEST(TerrainRights, SortSurvivesTheIntransitiveOrder) {
    // 1 < 3, 3 < -2 and -2 < 1: no order satisfies all three; the sort must still end with the
    // same strings, whatever their order.
    std::vector<std::string> list;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> number(-50, 50);
    for (int i = 0; i < 400; ++i) list.push_back(std::to_string(number(random)));
    for (int i = 0; i < 40; ++i) list.push_back(i % 2 ? "name" + std::to_string(i) : "~");
    std::vector<std::string> before = list;
    SortNumericStrings(list);
    std::sort(before.begin(), before.end());
    std::vector<std::string> after = list;
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before);
}

class RightsGate : public test::BotTest {
protected:
    void SetUp() override { Login(); }
};

// The world's terrain right first, silently; then the list, told to the user unless notifying
// is off, naming whose privileges were used.
TEST_F(RightsGate, WorldRightThenListThenTellsWhoseRightsAreMissing) {
    // Citizen, privilege, world right, notifying, passes, the reply.
    const std::tuple<int32_t, int32_t, bool, bool, bool, std::string> cases[] = {
        {7, 7, true, true, true, ""},
        {8, 8, false, true, false, ""},
        {100, 200, true, true, false,
         "You are using the privileges of cit#200, who does not have terrain rights in terra."},
        {300, 300, true, true, false, "You do not have terrain rights in terra."},
        {400, 400, true, false, false, ""},
    };
    TerrainRightsFromString(bot().rights, "7,8");
    int32_t session = 0;
    for (const auto& [citizen, privilege, worldRight, notify, passes, reply] : cases) {
        bot().options.SetFlag(OptionFlag::RightsNotify, notify);
        TTerrainSession& user =
            Arrive({.session = ++session,
                    .citizen = citizen,
                    .rights = worldRight ? std::vector<int>{right::Terrain} : std::vector<int>{},
                    .privilege = privilege});
        EXPECT_EQ(TerrainRightsCheckSession(bot(), user), passes) << session;
        EXPECT_EQ(Replies(session), reply.empty() ? test::Texts{} : test::Texts{reply}) << session;
    }
}

}  // namespace
}  // namespace tv
