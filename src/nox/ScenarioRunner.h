#pragma once
// Runs a scenario script in virtual time against the embedded world and prints a transcript.
// One command per line: setup (file, world, botcitizen, citizen, option, rights, place), the
// operator (start, login, logout, close, restart), users (enter, move, leave, say, build, remove,
// click, select), time and faults (tick, wait, disconnect, reconnect, fail, mute) and
// expectations (expect ...). The run passes when every expectation held.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Clock.h"
#include "app/Errors.h"
#include "nox/Transcript.h"
#include "world/SimWorld.h"

namespace tv {

class Bot;

// Splits a script line into words: blanks separate, a double-quoted word may hold blanks.
std::vector<std::string> ScenarioWords(const std::string& line);

// A script line that cannot be carried out as written: it fails the run (what the bot itself
// raises is shown as a dialog, as the desktop would).
class EScriptError final : public Exception {
public:
    using Exception::Exception;
};
// Word `index` as a whole decimal number; EScriptError when it is missing or is none.
int32_t ScriptNumber(const std::vector<std::string>& words, std::size_t index);

class ScenarioRunner final {
public:
    // workDir empty: a fresh temporary folder, removed afterwards. A workDir that is no folder
    // raises EInOutError.
    ScenarioRunner(std::ostream& out, std::filesystem::path workDir);
    ~ScenarioRunner();

    // Runs the whole script; returns true when it checked something and every expectation held
    // and every line could be carried out.
    bool Run(std::istream& script);
    int Passed() const { return passed_; }
    int Failed() const { return failed_; }

private:
    void Execute(const std::string& line, std::istream& script);
    void Setup(const std::string& command, const std::vector<std::string>& words,
               const std::string& line, std::istream& script);
    void Operator(const std::string& command, const std::vector<std::string>& words);
    void User(const std::string& command, const std::vector<std::string>& words,
              const std::string& line);
    void Expect(const std::vector<std::string>& words);
    void Check(bool held, const std::string& detail);

    Bot& EnsureBot();
    void StartBot();
    void EndBot();
    void ApplyPendingSettings();
    void Heartbeats(int64_t count);
    std::string WorldName() const;
    std::string Stamp() const;

    std::ostream& out_;
    std::filesystem::path workDir_;
    bool ownsWorkDir_ = false;
    VirtualClock clock_;
    SimWorld world_{clock_};
    Transcript transcript_;
    ScriptedFrontEnd frontEnd_{transcript_};
    std::unique_ptr<Bot> bot_;

    std::string worldName_;
    bool languageWritten_ = false;
    std::vector<std::pair<std::string, std::string>> pendingOptions_;
    std::optional<std::string> pendingRights_;

    std::map<int32_t, std::size_t> consoleSeen_;
    std::size_t activitySeen_ = 0;
    std::size_t dialogSeen_ = 0;
    int builtSeen_ = 0;
    int lineNumber_ = 0;
    int passed_ = 0;
    int failed_ = 0;
};

}  // namespace tv
