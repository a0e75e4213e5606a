#pragma once
// The headless program's view of everything that happens: operator-model changes (activity,
// status, statistics) and what the bot did to the world (console messages, objects, terrain,
// ejects, URLs), each printed as one tab-separated line and kept for expectations.

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Bot.h"
#include "app/OperatorModel.h"
#include "world/SimWorld.h"

namespace tv {

class Transcript final : public OperatorObserver, public SimListener {
public:
    // `stamp` gives the text that starts each line (the scenario's virtual time); may be empty.
    Transcript(std::ostream& out, std::function<std::string()> stamp);

    void Line(const std::vector<std::string>& fields);

    // OperatorObserver
    void OnActivity(const ActivityEntry& entry) override;
    void OnStatus(const std::string& text) override;
    void OnStat(int row, const std::string& text) override;

    // SimListener
    void OnConsoleMessage(const SimConsoleMessage& message) override;
    void OnObjectAdded(const SimObject& object, int32_t bySession) override;
    void OnObjectDeleted(const SimObject& object, int32_t bySession) override;
    void OnTerrainSet(int32_t cellX, int32_t cellZ, int32_t value, int32_t height) override;
    void OnEject(int32_t session, int32_t seconds) override;
    void OnUrl(int32_t session, const std::string& url, const std::string& target) override;

    // Print statistics rows (the real-time program leaves them out: they change every tick).
    bool showStats = true;

    struct Console {
        int32_t session;
        std::string text;  // after the "Terravane:\t" prefix
    };
    std::vector<Console> consoles;
    std::vector<std::string> activities;
    std::vector<std::string> dialogs;
    int builtByBot = 0;  // objects the bot added (a change counts too)

    void Dialog(const std::string& text);

private:
    std::ostream& out_;
    std::function<std::string()> stamp_;
};

// A front end whose questions are answered by the script and whose boxes go to the transcript.
class ScriptedFrontEnd final : public FrontEnd {
public:
    explicit ScriptedFrontEnd(Transcript& transcript) : transcript_(transcript) {}
    void ShowError(const std::string& message) override { transcript_.Dialog(message); }
    void ShowInformation(const std::string& message) override { transcript_.Dialog(message); }
    bool ConfirmYesNo(const std::string& message) override {
        transcript_.Dialog(message);
        return answer;
    }
    bool answer = true;

private:
    Transcript& transcript_;
};

}  // namespace tv
