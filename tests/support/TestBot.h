#pragma once
// The fixture every core test uses: a Bot on a SimWorld with a virtual clock, in its own
// temporary working folder, with a front end that records dialogs and answers questions.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Bot.h"
#include "app/Clock.h"
#include "config/Language.h"
#include "world/SimWorld.h"

namespace tv::test {

using Texts = std::vector<std::string>;
using Cells = std::vector<std::pair<int32_t, int32_t>>;

class RecordingFrontEnd final : public FrontEnd {
public:
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void ShowInformation(const std::string& message) override { information.push_back(message); }
    bool ConfirmYesNo(const std::string& message) override {
        questions.push_back(message);
        return nextAnswer;
    }
    Texts errors;
    Texts information;
    Texts questions;
    bool nextAnswer = true;
};

// A temporary folder removed with the object.
class TempDir final {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return path_; }
    void Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;
    // Runs before each Read: the test bot writes its waiting debug lines there.
    std::function<void()> beforeRead;

private:
    std::filesystem::path path_;
};

// The message key in braces ("{not_enabled_message}"): its text in a key language file.
std::string Braced(Lang key);

// A language file where every message text is its key in braces and every command word is its
// key, so replies can be checked byte for byte; overrides map "section/key" to a text.
std::string KeyLanguageFile(const std::map<std::string, std::string>& overrides = {});

// A terrain marker object (unless changed) at (x, y, z).
SimObjectSpec Shape(int32_t x, int32_t z, const std::string& description = {}, int32_t y = 0,
                    int32_t yaw = 0);

// The message of the E that the call throws; "<no error>" when it returns.
template <typename E, typename F>
std::string ErrorOf(F&& call) {
    try {
        call();
    } catch (const E& error) {
        return error.what();
    }
    return "<no error>";
}

// The lines of a text.
Texts Lines(const std::string& text);

// World "terra" of size 10, bot citizen 1 ("Keeper", password "secret") with caretaker and
// eminent-domain rights, a config.xml logging in there and the shipped english.xml.
class TestBot {
public:
    TestBot();
    ~TestBot();

    TempDir dir;
    VirtualClock clock;
    SimWorld world{clock};
    RecordingFrontEnd frontEnd;
    std::unique_ptr<Bot> bot;

    static constexpr const char* kWorld = "terra";
    static constexpr int kWorldSize = 10;
    static constexpr int kBotCitizen = 1;

    // config.xml logging in to `world`, with these elements in its Options.
    void WriteConfig(const std::string& world,
                     const std::map<std::string, std::string>& options = {}) const;
    // The Bot without its start-up, for tests that load files themselves.
    Bot& Create();
    // Creates the Bot if needed and runs its start-up once.
    Bot& Start();
    // Start(), then the Login button; asserts success.
    Bot& Login();
    // n heartbeat ticks of 250 ms.
    void Tick(int n = 1);
    // A user with terrain rights (50) entered at (x, y, z); returns the session number.
    int32_t Enter(int32_t session, int32_t citizen, int32_t x = 0, int32_t z = 0,
                  const std::string& name = {});
    // Console texts sent to a session (without the "Terravane:\t" prefix), in order.
    Texts ConsoleTo(int32_t session) const;
    // Activity messages, oldest first.
    Texts ActivityMessages() const;

private:
    bool started_ = false;
};

}  // namespace tv::test
