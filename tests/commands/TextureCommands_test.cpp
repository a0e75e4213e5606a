// texture all and the click mode's words. End to end (painting, the texture word's fall-backs,
// seeding and its refusals): scenarios/commands_texture_seed.scn; clicking: econ_clicks.scn.
#include <gtest/gtest.h>

#include "CommandFixture.h"

namespace tv::test {
namespace {

using TextureCommand = CommandTest;

TEST_F(TextureCommand, AllCoversTheWorldSizeAroundTheAvatar) {
    bot().options.MaxCommands = 0;  // commands stay queued to be looked at
    Arrive({11, 7, 10000, 10000});
    Begin(11);
    // Rows and columns -10..30 around cell (10, 10); rows end at the world's edge (20).
    for (auto [x, z, owner] :
         {std::tuple{-10, -10, 7}, {20, 20, 7}, {-11, 0, 7}, {0, -11, 7}, {0, 0, 99}})
        CacheMarker(x, z, owner);
    EXPECT_EQ(Command(11, "t:texture 5 all"), Texts{"2 {cells_processed_message}"});
    EXPECT_EQ(QueuedCommands(), (Texts{"-10,-10 TEXTURE s11 t5 r0", "20,20 TEXTURE s11 t5 r0"}));
    bot().world.commands.Clear();
    // Only the fixed word "all" in place 2 widens the box.
    EXPECT_EQ(Command(11, "t:texture 5 x all"), Texts{"0 {cells_processed_message}"});
}

using ClickMode = CommandTest;

TEST_F(ClickMode, NamesEveryModeAndAWrongWordChangesNothing) {
    Arrive({11, 7});
    Begin(11);
    TTerrainSession& session = SessionOf(11);
    for (auto [words, mode, name] : {std::tuple<const char*, uint8_t, const char*>{"", 3, "hide"},
                                     {" DELETE", 1, "delete"},
                                     {" hide extra", 3, "hide"}}) {
        EXPECT_EQ(Command(11, std::string("t:clickmode") + words),
                  Texts{std::string("{clickmode_message} ") + name});
        EXPECT_EQ(session.clickMode, mode) << words;
    }
    const int32_t touched = session.lastActivity;
    tb.clock.Advance(4000);
    EXPECT_EQ(Command(11, "t:clickmode texture"),
              Texts{"An error occured while processing your command: EFatalCommandError, "
                    "Invalid clickmode"});
    EXPECT_EQ(session.clickMode, 3);
    EXPECT_EQ(session.lastActivity, touched);
    // Names by value, for modes no chat word sets.
    for (auto [mode, name] :
         {std::pair<uint8_t, const char*>{5, "texture"}, {0, "<invalid>"}, {9, "<invalid>"}}) {
        session.clickMode = mode;
        EXPECT_EQ(Command(11, "t:clickmode"), Texts{std::string("{clickmode_message} ") + name});
    }
}

}  // namespace
}  // namespace tv::test
