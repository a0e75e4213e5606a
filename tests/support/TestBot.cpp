#include "support/TestBot.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/Connection.h"

namespace tv::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "terravane-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    if (!made) throw std::runtime_error("cannot create a temporary folder");
    path_ = made;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(const std::string& name, const std::string& content) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out << content;
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

TestBot::TestBot() {
    world.AddWorld(kWorld, kWorldSize);
    world.AddCitizen(kBotCitizen, "Keeper", "secret");
    world.SetWorldRight(kWorld, kBotCitizen, 57, true);
    world.SetWorldRight(kWorld, kBotCitizen, 162, true);
    std::filesystem::copy_file(std::filesystem::path(TERRAVANE_DATA_DIR) / "english.xml",
                               dir.Path() / "english.xml");
    dir.Write("config.xml",
              "<?xml version=\"1.0\"?>\n<TerravaneConfig><Login>"
              "<CitizenNumber>1</CitizenNumber><PrivilegePassword>secret</PrivilegePassword>"
              "<UniHost>universe.terravane.local</UniHost><UniPort>6670</UniPort>"
              "<World>terra</World></Login></TerravaneConfig>\n");
}

TestBot::~TestBot() = default;

Bot& TestBot::Start() {
    if (!bot) {
        bot = std::make_unique<Bot>(world, clock, frontEnd, dir.Path());
        bot->Start();
    }
    return *bot;
}

Bot& TestBot::Login() {
    Start();
    LoginClick(*bot);
    EXPECT_NE(world.aw_session(), 0);
    return *bot;
}

void TestBot::Tick(int n) {
    for (int i = 0; i < n; ++i) {
        clock.Advance(250);
        bot->Tick();
    }
}

int32_t TestBot::Enter(int32_t session, int32_t citizen, int32_t x, int32_t z,
                       const std::string& name) {
    std::string avatarName = name.empty() ? "user" + std::to_string(citizen) : name;
    world.AddCitizen(citizen, avatarName);
    world.SetWorldRight(kWorld, citizen, 50, true);
    world.UserEnter(session, citizen, x, 0, z, std::nullopt, avatarName);
    return session;
}

std::vector<std::string> TestBot::ConsoleTo(int32_t session) const {
    std::vector<std::string> texts;
    const std::string prefix = kReplyPrefix;
    for (const auto& message : world.ConsoleLog()) {
        if (message.session != session) continue;
        std::string text = message.text;
        if (text.rfind(prefix, 0) == 0) text.erase(0, prefix.size());
        texts.push_back(text);
    }
    return texts;
}

std::vector<std::string> TestBot::ActivityMessages() const {
    std::vector<std::string> messages;
    const auto& entries = bot->model.Activity();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) messages.push_back(it->message);
    return messages;
}

}  // namespace tv::test
