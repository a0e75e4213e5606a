// The expectations of scenario scripts: each is checked when its line is reached.
#include <algorithm>
#include <utility>

#include "app/Bot.h"
#include "app/Format.h"
#include "commands/TerrainRights.h"
#include "config/Options.h"
#include "nox/ScenarioRunner.h"
#include "terrain/TerrainMarker.h"

namespace tv {

namespace {

std::string Join(const std::vector<std::string>& items, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < items.size(); ++i) {
        if (i > from) text += ' ';
        text += items[i];
    }
    return text;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Whether any entry after `seen` equals `text`; moves `seen` to the end either way.
bool SeenSince(const std::vector<std::string>& entries, std::size_t& seen,
               const std::string& text) {
    bool found = std::find(entries.begin() + static_cast<long>(std::min(seen, entries.size())),
                           entries.end(), text) != entries.end();
    seen = entries.size();
    return found;
}

}  // namespace

void ScenarioRunner::Expect(const std::vector<std::string>& words) {
    if (words.size() < 2) return Check(false, "expect what?");
    const std::string& what = words[1];

    if (what == "console" || what == "no-console") {
        int32_t session = ScriptNumber(words, 2);
        std::string text = Join(words, 3);
        std::vector<std::string> since;
        std::size_t& seen = consoleSeen_[session];
        for (std::size_t i = seen; i < transcript_.consoles.size(); ++i)
            if (transcript_.consoles[i].session == session)
                since.push_back(transcript_.consoles[i].text);
        seen = transcript_.consoles.size();
        if (what == "no-console")
            return Check(since.empty(), "console to " + words[2] + ": " +
                                            (since.empty() ? "" : Quoted(since.front())));
        bool found = std::find(since.begin(), since.end(), text) != since.end();
        std::string detail = "no console " + Quoted(text) + " to " + words[2];
        if (!since.empty()) detail += "; sent: " + Quoted(since.back());
        return Check(found, detail);
    }
    if (what == "activity") {
        std::string text = Join(words, 2);
        return Check(SeenSince(transcript_.activities, activitySeen_, text),
                     "no activity " + Quoted(text));
    }
    if (what == "no-activity") {
        std::string text = Join(words, 2);
        return Check(!SeenSince(transcript_.activities, activitySeen_, text),
                     "activity " + Quoted(text));
    }
    if (what == "built") {
        const int built =
            transcript_.builtByBot - std::exchange(builtSeen_, transcript_.builtByBot);
        return Check(built == StrToInt(words.at(2)), "the bot built " + std::to_string(built));
    }
    if (what == "dialog") {
        std::string text = Join(words, 2);
        return Check(SeenSince(transcript_.dialogs, dialogSeen_, text),
                     "no dialog " + Quoted(text));
    }

    Bot& bot = EnsureBot();
    if (what == "status") {
        std::string text = Join(words, 2);
        return Check(bot.model.Status() == text, "status is " + Quoted(bot.model.Status()));
    }
    if (what == "stat") {
        int row = ScriptNumber(words, 2);
        std::string text = Join(words, 3);
        const std::string& actual = bot.model.Stat(row);
        return Check(actual == text, "stat " + words[2] + " is " + Quoted(actual));
    }
    if (what == "option") {
        std::optional<std::string> actual = OptionText(bot.options, words.at(2));
        std::string expected = words.size() > 3 ? words[3] : "";
        return Check(actual && *actual == expected,
                     "option " + words[2] + " is " + (actual ? Quoted(*actual) : "unknown"));
    }
    if (what == "rights") {
        std::string actual = TerrainRightsToString(bot.rights);
        std::string expected = words.size() > 2 ? words[2] : "";
        return Check(actual == expected, "rights are " + Quoted(actual));
    }
    if (what == "object" || what == "no-object") {
        int32_t x = ScriptNumber(words, 2);
        int32_t z = ScriptNumber(words, 3);
        const SimObject* found = nullptr;
        for (const SimObject& object : world_.Objects(WorldName()))
            if (object.x == x && object.z == z && SameText(object.model, kMarkerModel))
                found = &object;
        if (what == "no-object")
            return Check(found == nullptr, "an object stands at " + words[2] + " " + words[3]);
        if (!found) return Check(false, "no object at " + words[2] + " " + words[3]);
        std::string detail = "object at " + words[2] + " " + words[3] + " is " +
                             Quoted(found->description) + " " + Quoted(found->action) + " owner " +
                             std::to_string(found->owner);
        bool held = words.size() > 4 && found->description == words[4];
        bool hidden = SameText(found->action, kHiddenAction);
        for (std::size_t i = 5; i < words.size(); ++i) {
            if (words[i] == "visible")
                held = held && !hidden;
            else if (words[i] == "hidden")
                held = held && hidden;
            else if (words[i] == "owner" && i + 1 < words.size())
                held = held && found->owner == ScriptNumber(words, ++i);
        }
        return Check(held, detail);
    }
    if (what == "terrain") {
        int32_t cellX = ScriptNumber(words, 2);
        int32_t cellZ = ScriptNumber(words, 3);
        auto terrain = world_.TerrainAt(WorldName(), cellX, cellZ);
        int32_t value = terrain ? terrain->value : 0;
        int32_t height = terrain ? terrain->height : 0;
        bool held = value == ScriptNumber(words, 4) && height == ScriptNumber(words, 5);
        return Check(held, "terrain is " + std::to_string(value) + " " + std::to_string(height));
    }
    Check(false, "unknown expectation '" + what + "'");
}

}  // namespace tv
