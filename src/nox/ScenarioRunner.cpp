#include "nox/ScenarioRunner.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <istream>
#include <ostream>

#include "app/Bot.h"
#include "app/Connection.h"
#include "app/Errors.h"
#include "app/Format.h"
#include "commands/TerrainRights.h"
#include "config/Options.h"
#include "config/TextConvert.h"
#include "nox/Embedded.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

constexpr int kTickMs = 250;
// The longest `wait` or `tick` a script may ask for: a day of virtual time. A larger number is a
// typing slip that would keep the run going for hours.
constexpr int64_t kMaxTicks = 24 * 3600 * 4;

int32_t Number(const std::vector<std::string>& words, std::size_t index) {
    return ScriptNumber(words, index);
}

int32_t NumberText(const std::string& text) {
    return ScriptNumber({text}, 0);
}

int64_t TickCount(const std::string& text, double ticksPerUnit) {
    double count = -1;
    try {
        count = TextToFloat(text) * ticksPerUnit;
    } catch (const EConvertError&) {
    }
    if (!(count >= 0 && count <= static_cast<double>(kMaxTicks)))
        throw EScriptError("'" + text + "' is not a time from 0 to one day");
    return static_cast<int64_t>(count + 0.5);
}

// Reads "key value" pairs after the fixed words of build/place into an object shape.
SimObjectSpec ObjectSpec(const std::vector<std::string>& words, std::size_t first) {
    SimObjectSpec shape;
    shape.x = Number(words, first);
    shape.y = Number(words, first + 1);
    shape.z = Number(words, first + 2);
    for (std::size_t i = first + 3; i + 1 < words.size(); i += 2) {
        const std::string& key = words[i];
        const std::string& value = words[i + 1];
        if (key == "desc")
            shape.description = value;
        else if (key == "model")
            shape.model = value;
        else if (key == "action")
            shape.action = value;
        else if (key == "owner")
            shape.owner = NumberText(value);
        else if (key == "yaw")
            shape.yaw = NumberText(value);
        else if (key == "tilt")
            shape.tilt = NumberText(value);
        else if (key == "roll")
            shape.roll = NumberText(value);
        else if (key == "type")
            shape.type = NumberText(value);
        else
            throw EScriptError("unknown object field '" + key + "'");
    }
    return shape;
}

std::string RestAfterWords(const std::string& line, int wordsToSkip) {
    std::size_t pos = 0;
    for (int i = 0; i < wordsToSkip; ++i) {
        while (pos < line.size() && line[pos] == ' ') ++pos;
        while (pos < line.size() && line[pos] != ' ') ++pos;
    }
    if (pos < line.size() && line[pos] == ' ') ++pos;
    return line.substr(pos);
}

}  // namespace

int32_t ScriptNumber(const std::vector<std::string>& words, std::size_t index) {
    if (index >= words.size()) throw EScriptError("a number is missing");
    int32_t value = 0;
    if (!ParseDecimal(words[index], value))
        throw EScriptError("'" + words[index] + "' is not a number");
    return value;
}

std::vector<std::string> ScenarioWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            ++i;
            while (i < line.size() && line[i] != '"') word += line[i++];
            ++i;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
        }
        words.push_back(word);
    }
    return words;
}

ScenarioRunner::ScenarioRunner(std::ostream& out, std::filesystem::path workDir)
    : out_(out), workDir_(std::move(workDir)), transcript_(out, [this] { return Stamp(); }) {
    std::error_code ignored;
    if (!workDir_.empty() && !std::filesystem::is_directory(workDir_, ignored))
        throw EInOutError("the working folder " + workDir_.string() + " does not exist");
    if (workDir_.empty()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "terravane-scenario-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw EInOutError("cannot create a temporary folder");
        workDir_ = pattern;
        ownsWorkDir_ = true;
    }
    world_.SetListener(&transcript_);
}

ScenarioRunner::~ScenarioRunner() {
    bot_.reset();
    if (ownsWorkDir_) {
        std::error_code ignored;
        std::filesystem::remove_all(workDir_, ignored);
    }
}

std::string ScenarioRunner::Stamp() const {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", static_cast<double>(clock_.ElapsedMs()) / 1000.0);
    return buffer;
}

bool ScenarioRunner::Run(std::istream& script) {
    Feed(script);
    if (passed_ + failed_ == 0) Check(false, "the script checks nothing");
    transcript_.Line({Format("scenario: %d passed, %d failed", {passed_, failed_})});
    return failed_ == 0;
}

void ScenarioRunner::Feed(std::istream& script) {
    std::string line;
    while (std::getline(script, line)) {
        ++lineNumber_;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        try {
            Execute(line.substr(first), script);
        } catch (const EScriptError& error) {
            Check(false, error.what());
        } catch (const std::out_of_range&) {
            Check(false, "a word is missing");
        } catch (const std::exception& error) {
            // As the desktop's default error handler would: show the message and go on.
            transcript_.Dialog(error.what());
        }
    }
}

void ScenarioRunner::Execute(const std::string& line, std::istream& script) {
    std::vector<std::string> words = ScenarioWords(line);
    const std::string& command = words[0];
    static const char* const kSetup[] = {"file",   "world",  "botcitizen", "citizen",
                                         "option", "rights", "place",      "fill"};
    static const char* const kOperator[] = {"start",   "login", "logout", "close",
                                            "restart", "tick",  "wait"};
    static const char* const kUser[] = {"enter",  "move",  "leave",  "say",        "build",
                                        "remove", "click", "select", "disconnect", "reconnect",
                                        "fail",   "mute",  "delay",  "heal"};
    for (const char* name : kSetup)
        if (command == name) return Setup(command, words, line, script);
    for (const char* name : kOperator)
        if (command == name) return Operator(command, words);
    for (const char* name : kUser)
        if (command == name) return User(command, words, line);
    if (command == "expect") return Expect(words);
    Check(false, "unknown command '" + command + "'");
}

void ScenarioRunner::Setup(const std::string& command, const std::vector<std::string>& words,
                           const std::string& line, std::istream& script) {
    if (command == "file") {
        std::string name = words.at(1);
        // A script writes only into its own working folder.
        const bool bare = std::filesystem::path(name).filename() == name && name != "..";
        if (!bare) Check(false, "file name '" + name + "' is not a bare name");
        std::ofstream out;
        if (bare) out.open(workDir_ / name, std::ios::binary);
        std::string content;
        while (std::getline(script, content)) {
            ++lineNumber_;
            if (!content.empty() && content.back() == '\r') content.pop_back();
            if (content == "end") break;
            out << content << "\n";
        }
        if (SameText(name, "english.xml")) languageWritten_ = true;
    } else if (command == "world") {
        worldName_ = words.at(1);
        world_.AddWorld(worldName_, Number(words, 2));
        pendingOptions_.emplace_back("World", worldName_);
    } else if (command == "botcitizen") {
        int32_t citizen = Number(words, 1);
        const std::string& password = words.at(2);
        bool caretaker = true, eminent = true;
        for (std::size_t i = 3; i < words.size(); ++i) {
            if (words[i] == "nocaretaker") caretaker = false;
            if (words[i] == "noeminent") eminent = false;
        }
        world_.AddCitizen(citizen, "Terravane", password);
        world_.SetWorldRight(WorldName(), citizen, 57, caretaker);
        world_.SetWorldRight(WorldName(), citizen, 162, eminent);
        pendingOptions_.emplace_back("CitizenNumber", words[1]);
        pendingOptions_.emplace_back("PrivilegePassword", password);
    } else if (command == "citizen") {
        int32_t citizen = Number(words, 1);
        world_.AddCitizen(citizen, words.at(2));
        if (words.size() >= 5 && words[3] == "rights")
            for (const std::string& right : SplitCommaList(words[4]))
                world_.SetWorldRight(WorldName(), citizen, NumberText(right), true);
    } else if (command == "option") {
        // Checked now, so that a bad line fails here and never holds up the options after it.
        const std::string value = words.size() > 2 ? words[2] : "";
        Options scratch;
        try {
            if (!SetOptionText(scratch, words.at(1), value))
                throw EScriptError("unknown option '" + words[1] + "'");
        } catch (const EConvertError& error) {
            throw EScriptError("option " + words[1] + ": " + error.what());
        }
        pendingOptions_.emplace_back(words[1], value);
    } else if (command == "rights") {
        pendingRights_ = RestAfterWords(line, 1);
    } else if (command == "place") {
        world_.PlaceObject(WorldName(), ObjectSpec(words, 1));
    } else if (command == "fill") {
        // fill CX0 CZ0 CX1 CZ1 [desc D] ...: a marker on every cell anchor of the block.
        std::vector<std::string> fields = {command, "0", "0", "0"};
        fields.insert(fields.end(), words.begin() + std::min<std::size_t>(5, words.size()),
                      words.end());
        SimObjectSpec shape = ObjectSpec(fields, 1);
        for (int32_t z = Number(words, 2); z <= Number(words, 4); ++z)
            for (int32_t x = Number(words, 1); x <= Number(words, 3); ++x) {
                shape.x = x * kCellSpan;
                shape.z = z * kCellSpan;
                world_.PlaceObject(WorldName(), shape);
            }
    }
    if (bot_) ApplyPendingSettings();
}

void ScenarioRunner::ApplyPendingSettings() {
    for (const auto& [key, value] : pendingOptions_) SetOptionText(bot_->options, key, value);
    pendingOptions_.clear();
    if (pendingRights_) TerrainRightsFromString(bot_->rights, *pendingRights_);
    pendingRights_.reset();
}

std::string ScenarioRunner::WorldName() const {
    if (bot_ && !bot_->options.Login.World.empty()) return bot_->options.Login.World;
    return worldName_.empty() ? kStarterWorld : worldName_;
}

void ScenarioRunner::StartBot() {
    if (!languageWritten_) EnsureLanguageFile(workDir_);
    bot_ = std::make_unique<Bot>(watch_, clock_, frontEnd_, workDir_);
    watch_.Attach(bot_.get());
    bot_->model.SetObserver(&transcript_);
    bot_->Start();
    ApplyPendingSettings();
}

Bot& ScenarioRunner::EnsureBot() {
    if (!bot_) StartBot();
    return *bot_;
}

void ScenarioRunner::EndBot() {
    if (bot_) bot_->model.SetObserver(nullptr);
    watch_.Attach(nullptr);
    bot_.reset();
}

void ScenarioRunner::Heartbeats(int64_t count) {
    Bot& bot = EnsureBot();
    for (int64_t i = 0; i < count; ++i) {
        clock_.Advance(kTickMs);
        if (!bot.timerEnabled) continue;
        try {
            bot.Tick();
        } catch (const std::exception& error) {
            // The heartbeat has nobody to report to: whatever escapes it is a fault.
            Check(false, std::string("the heartbeat threw: ") + error.what());
        }
    }
}

void ScenarioRunner::Operator(const std::string& command, const std::vector<std::string>& words) {
    if (command == "start") {
        if (!bot_) StartBot();
    } else if (command == "login") {
        LoginClick(EnsureBot());
    } else if (command == "logout") {
        LogoutClick(EnsureBot());
    } else if (command == "close" || command == "restart") {
        Bot& bot = EnsureBot();
        frontEnd_.answer = command == "restart" || words.size() < 2 || words[1] != "no";
        if (bot.CloseQuery()) {
            EndBot();
            if (command == "restart") StartBot();
        }
    } else if (command == "tick") {
        Heartbeats(words.size() > 1 ? TickCount(words[1], 1) : 1);
    } else if (command == "wait") {
        Heartbeats(TickCount(words.at(1), 1000.0 / kTickMs));
    }
}

void ScenarioRunner::User(const std::string& command, const std::vector<std::string>& words,
                          const std::string& line) {
    int result = 0;
    if (command == "enter") {
        std::optional<int32_t> privilege;
        std::optional<std::string> name;
        for (std::size_t i = 6; i + 1 < words.size(); i += 2) {
            if (words[i] == "privilege") privilege = NumberText(words[i + 1]);
            if (words[i] == "name") name = words[i + 1];
        }
        result = world_.UserEnter(Number(words, 1), Number(words, 2), Number(words, 3),
                                  Number(words, 4), Number(words, 5), privilege, name);
    } else if (command == "move") {
        result =
            world_.UserMove(Number(words, 1), Number(words, 2), Number(words, 3), Number(words, 4));
    } else if (command == "leave") {
        result = world_.UserLeave(Number(words, 1));
    } else if (command == "say") {
        result = world_.UserChat(Number(words, 1), RestAfterWords(line, 2));
    } else if (command == "build") {
        result = world_.UserBuild(Number(words, 1), ObjectSpec(words, 2));
    } else if (command == "remove") {
        result = world_.UserDelete(Number(words, 1), Number(words, 2), Number(words, 3));
    } else if (command == "click") {
        result = world_.UserClick(Number(words, 1), Number(words, 2), Number(words, 3));
    } else if (command == "select") {
        result = world_.UserSelect(Number(words, 1), Number(words, 2), Number(words, 3));
    } else if (command == "disconnect") {
        world_.Disconnect();
    } else if (command == "reconnect") {
        world_.Reconnect();
    } else if (command == "fail") {
        world_.FailNext(words.at(1), Number(words, 2), words.size() > 3 ? Number(words, 3) : 1);
    } else if (command == "delay") {
        world_.DelayAnswers(Number(words, 1));
    } else if (command == "heal") {
        world_.ClearFaults();
        world_.DelayAnswers(0);
        world_.Reconnect();
    } else if (command == "mute") {
        world_.MuteNext(words.at(1), words.size() > 2 ? Number(words, 2) : 1);
    }
    if (result != 0) transcript_.Line({"world-refused", command, std::to_string(result)});
}

void ScenarioRunner::Check(bool held, const std::string& detail) {
    if (held) {
        ++passed_;
        return;
    }
    ++failed_;
    lastFailure_ = detail;
    transcript_.Line({"expect-failed", std::to_string(lineNumber_), detail});
}

}  // namespace tv
