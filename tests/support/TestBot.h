#pragma once
// The fixture every core test uses: a fresh Bot on a SimWorld with a virtual clock, in its own
// temporary working folder, with a front end that records dialogs and answers questions.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Bot.h"
#include "app/Clock.h"
#include "world/SimWorld.h"

namespace tv::test {

class RecordingFrontEnd final : public FrontEnd {
public:
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void ShowInformation(const std::string& message) override { information.push_back(message); }
    bool ConfirmYesNo(const std::string& message) override {
        questions.push_back(message);
        return nextAnswer;
    }
    std::vector<std::string> errors;
    std::vector<std::string> information;
    std::vector<std::string> questions;
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

private:
    std::filesystem::path path_;
};

// World "terra" of size 10, bot citizen 1 ("Keeper", password "secret") with caretaker and
// eminent-domain rights; the shipped english.xml copied in. Call Start() and Login() as needed.
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

    // Creates the Bot (after setup of files and world) and runs its start-up.
    Bot& Start();
    // Start() if needed, then the Login button; asserts success.
    Bot& Login();
    // n heartbeat ticks of 250 ms.
    void Tick(int n = 1);
    // A user with terrain rights (50) entered at (x, y, z); returns the session number.
    int32_t Enter(int32_t session, int32_t citizen, int32_t x = 0, int32_t z = 0,
                  const std::string& name = {});
    // Console texts sent to a session (without the "Terravane:\t" prefix), in order.
    std::vector<std::string> ConsoleTo(int32_t session) const;
    // Activity messages, oldest first.
    std::vector<std::string> ActivityMessages() const;
};

}  // namespace tv::test
