#include "support/TestBot.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/Connection.h"
#include "app/MessageQueue.h"

namespace tv::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "terravane-test-XXXXXX").string();
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
    if (beforeRead) beforeRead();
    std::ifstream in(path_ / name, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::string Braced(Lang key) {
    return std::string("{") + LangInfo(key).key + "}";
}

std::string KeyLanguageFile(const std::map<std::string, std::string>& overrides) {
    Texts order;
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
    for (const std::string& section : order)
        file += "  <section name=\"" + section + "\">\n" + body[section] + "  </section>\n";
    return file + "</XmlConfigFile>\n";
}

SimObjectSpec Shape(int32_t x, int32_t z, const std::string& description, int32_t y, int32_t yaw) {
    SimObjectSpec shape;
    shape.x = x;
    shape.y = y;
    shape.z = z;
    shape.yaw = yaw;
    shape.description = description;
    return shape;
}

Texts Lines(const std::string& text) {
    Texts lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TestBot::TestBot() {
    world.AddWorld(kWorld, kWorldSize);
    world.AddCitizen(kBotCitizen, "Keeper", "secret");
    world.SetWorldRight(kWorld, kBotCitizen, 57, true);
    world.SetWorldRight(kWorld, kBotCitizen, 162, true);
    std::filesystem::copy_file(std::filesystem::path(TERRAVANE_DATA_DIR) / "english.xml",
                               dir.Path() / "english.xml");
    WriteConfig(kWorld);
}

TestBot::~TestBot() = default;

void TestBot::WriteConfig(const std::string& world,
                          const std::map<std::string, std::string>& options) const {
    std::string config =
        "<?xml version=\"1.0\"?>\n<TerravaneConfig><Login>"
        "<CitizenNumber>1</CitizenNumber><PrivilegePassword>secret</PrivilegePassword>"
        "<UniHost>universe.terravane.local</UniHost><UniPort>6670</UniPort><World>" +
        world + "</World></Login>";
    if (!options.empty()) {
        config += "<Options>";
        for (const auto& [key, value] : options)
            config += "<" + key + ">" + value + "</" + key + ">";
        config += "</Options>";
    }
    dir.Write("config.xml", config + "</TerravaneConfig>\n");
}

Bot& TestBot::Create() {
    if (!bot) bot = std::make_unique<Bot>(world, clock, frontEnd, dir.Path());
    dir.beforeRead = [this] {
        if (bot) bot->logs.debug.Flush(clock.UnixNow());
    };
    return *bot;
}

Bot& TestBot::Start() {
    Create();
    if (!started_) {
        started_ = true;
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
    world.SetWorldRight(kWorld, citizen, right::Terrain, true);
    world.UserEnter(session, citizen, x, 0, z, std::nullopt, avatarName);
    return session;
}

Texts TestBot::ConsoleTo(int32_t session) const {
    Texts texts;
    const std::string prefix = kReplyPrefix;
    for (const auto& message : world.ConsoleLog()) {
        if (message.session != session) continue;
        std::string text = message.text;
        if (text.rfind(prefix, 0) == 0) text.erase(0, prefix.size());
        texts.push_back(text);
    }
    return texts;
}

Texts TestBot::ActivityMessages() const {
    Texts messages;
    const auto& entries = bot->model.Activity();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) messages.push_back(it->message);
    return messages;
}

}  // namespace tv::test
