#pragma once
// A logged-in bot in a world of size 20 with a language file of its own: every message key's text
// is its key in braces ("{no_cells_message}") and every command word is its key, so replies can
// be checked byte for byte. Users chat through the embedded world; the command queue can be
// inspected before it runs (MaxCommands 0 keeps it still). Header-only: each test program of the
// folder includes it.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "config/Language.h"
#include "events/SessionTable.h"
#include "support/TestBot.h"
#include "terrain/TerrainCache.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"

namespace tv::test {

// The language file: every key of the catalogue, with the overrides ("section/key" -> text).
inline std::string CommandLanguageFile(const std::map<std::string, std::string>& overrides = {}) {
    std::vector<std::string> order;
    std::map<std::string, std::string> body;
    for (std::size_t i = 0; i < kLangKeyCount; ++i) {
        const LangKeyInfo& info = LangInfo(static_cast<Lang>(i));
        const std::string section = info.section;
        const std::string key = info.key;
        std::string text = section == "commands" ? key : "{" + key + "}";
        auto found = overrides.find(section + "/" + key);
        if (found != overrides.end()) text = found->second;
        if (!body.count(section)) order.push_back(section);
        body[section] += "    <param name=\"" + key + "\">" + text + "</param>\n";
    }
    std::string file =
        "<?xml version=\"1.0\"?>\n<XmlConfigFile version=\"3\">\n"
        "  <section name=\"terravane\"><param name=\"version\">5</param></section>\n";
    for (const std::string& section : order) {
        file += "  <section name=\"" + section + "\">\n" + body[section] + "  </section>\n";
    }
    return file + "</XmlConfigFile>\n";
}

struct QueuedCommand {
    int32_t x = 0, z = 0;
    CommandState state = CommandState::INVALID;
    int32_t session = 0;
    bool hole = false;
    int32_t texture = 0;
    uint16_t rotation = 0;
    bool operator==(const QueuedCommand&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const QueuedCommand& c) {
    return out << "(" << c.x << "," << c.z << " " << CommandStateName(c.state) << " s" << c.session
               << (c.hole ? " hole" : "") << " t" << c.texture << " r" << c.rotation << ")";
}

class CommandTest : public ::testing::Test {
protected:
    static constexpr const char* kWorld = "wide";
    static constexpr int kWorldSize = 20;

    CommandTest() {
        tb.world.AddWorld(kWorld, kWorldSize);
        tb.world.SetWorldRight(kWorld, TestBot::kBotCitizen, 57, true);
        tb.world.SetWorldRight(kWorld, TestBot::kBotCitizen, 162, true);
    }

    TestBot tb;
    std::map<std::string, std::string> languageOverrides;
    // Written into config.xml's Options: flood counting off unless a test wants it.
    std::map<std::string, std::string> options{{"FloodCommands", "10.90"}};
    std::optional<std::string> rightsText;

    void WriteFiles() {
        tb.dir.Write("english.xml", CommandLanguageFile(languageOverrides));
        std::string config =
            "<?xml version=\"1.0\"?>\n<TerravaneConfig><Login>"
            "<CitizenNumber>1</CitizenNumber><PrivilegePassword>secret</PrivilegePassword>"
            "<UniHost>universe.terravane.local</UniHost><UniPort>6670</UniPort><World>";
        config += std::string(kWorld) + "</World></Login><Options>";
        for (const auto& [key, value] : options)
            config += "<" + key + ">" + value + "</" + key + ">";
        if (rightsText) config += "<TerrainRights>" + *rightsText + "</TerrainRights>";
        tb.dir.Write("config.xml", config + "</Options></TerravaneConfig>\n");
    }

    Bot& Login() {
        WriteFiles();
        Bot& bot = tb.Login();
        EXPECT_EQ(bot.worldSize, kWorldSize);
        return bot;
    }

    Bot& bot() { return *tb.bot; }

    // A citizen with the given world rights entered at (x, z); the avatar's events delivered.
    void EnterUser(int32_t session, int32_t citizen, int32_t x, int32_t z,
                   std::vector<int> rights = {50}, const std::string& name = {}) {
        std::string avatar = name.empty() ? "user" + std::to_string(citizen) : name;
        tb.world.AddCitizen(citizen, avatar);
        for (int right : rights) tb.world.SetWorldRight(kWorld, citizen, right, true);
        ASSERT_EQ(tb.world.UserEnter(session, citizen, x, 0, z, std::nullopt, avatar), 0);
        tb.Tick();
        ASSERT_NE(bot().sessions.FindSession(session), nullptr);
        Replies(session);  // the features notice
    }

    // A user of citizen `citizen` working with the bot's own privileges: the caretaker.
    void EnterCaretaker(int32_t session, int32_t citizen = 50, int32_t x = 0, int32_t z = 0) {
        tb.world.AddCitizen(citizen, "keeper" + std::to_string(citizen));
        tb.world.SetWorldRight(kWorld, TestBot::kBotCitizen, 50, true);
        ASSERT_EQ(tb.world.UserEnter(session, citizen, x, 0, z, TestBot::kBotCitizen,
                                     "keeper" + std::to_string(citizen)),
                  0);
        tb.Tick();
        ASSERT_NE(bot().sessions.FindSession(session), nullptr);
        Replies(session);
    }

    TTerrainSession& SessionOf(int32_t session) {
        TTerrainSession* record = bot().sessions.FindSession(session);
        if (!record) throw std::runtime_error("no session " + std::to_string(session));
        return *record;
    }

    // The chat line through the world, one heartbeat.
    void Say(int32_t session, const std::string& text) {
        ASSERT_EQ(tb.world.UserChat(session, text), 0);
        tb.Tick();
    }

    // Console texts to the session since the previous call, after flushing the outgoing queue.
    std::vector<std::string> Replies(int32_t session) {
        for (int i = 0; i < 100 && !bot().messages.Empty(); ++i) tb.Tick();
        std::vector<std::string> all = tb.ConsoleTo(session);
        std::size_t& seen = seen_[session];
        std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen), all.end());
        seen = all.size();
        return fresh;
    }

    // The chat line, then its replies.
    std::vector<std::string> Command(int32_t session, const std::string& text) {
        Say(session, text);
        return Replies(session);
    }

    // Ticks until no cell query is queued or in flight.
    void Settle() {
        for (int i = 0; i < 400; ++i) {
            if (bot().world.queries.Empty() && CallbackCount(bot(), CallbackType::CellQuery) == 0) {
                return;
            }
            tb.Tick();
        }
        ADD_FAILURE() << "cell queries did not settle";
    }

    // "t:begin", checked; the cells around the user queried.
    void Begin(int32_t session) {
        EXPECT_EQ(Command(session, "t:begin"), std::vector<std::string>{"{enable_message}"});
        ASSERT_TRUE(SessionOf(session).enabled);
        Settle();
    }

    // A marker of `owner` in the bot's cache at the cell (not in the world).
    void CacheMarker(int32_t cellX, int32_t cellZ, int32_t owner) {
        TMarkerRecord marker;
        TerrainMarkerInit(marker);
        marker.CellX = cellX;
        marker.CellZ = cellZ;
        marker.X = cellX * 1000;
        marker.Z = cellZ * 1000;
        marker.Id = nextId_;
        marker.Number = static_cast<uint32_t>(nextId_);
        marker.Owner = owner;
        ++nextId_;
        bot().cache.StoreMarker(marker, bot().cache.FindCell(cellX, cellZ));
    }

    std::vector<QueuedCommand> Queued() const {
        std::vector<QueuedCommand> commands;
        TTerrainCommandQueue::Node* node = nullptr;
        while (tb.bot->world.commands.Next(node)) {
            const TTerrainCommand& c = *node->Item;
            commands.push_back(
                {c.CellX, c.CellZ, c.State, c.AvatarSession, c.Hole, c.Texture, c.Rotation});
        }
        return commands;
    }

    std::vector<std::string> DebugLines() const {
        std::vector<std::string> lines;
        std::istringstream in(tb.dir.Read("debug.log"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

private:
    std::map<int32_t, std::size_t> seen_;
    int32_t nextId_ = 1000000;
};

}  // namespace tv::test
