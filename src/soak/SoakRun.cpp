#include "soak/SoakRun.h"

#include <functional>
#include <optional>
#include <sstream>

#include "app/Bot.h"
#include "nox/ScenarioRunner.h"
#include "soak/Invariants.h"
#include "soak/SoakPlan.h"
#include "terrain/TerrainMarker.h"
#include "world/SimWorld.h"

namespace tv {

namespace {

constexpr int kTicksPerSecond = 4;
constexpr int64_t kTicksPerMinute = 60 * kTicksPerSecond;

const std::vector<std::string> kRefusedCalls = {
    "aw_object_load", "aw_object_change", "aw_object_delete",
    "aw_cell_next",   "aw_terrain_set",   "aw_console_message",
    "aw_world_eject", "aw_url_send",      "aw_citizen_attributes_by_name"};
// The calls whose silence the bot can notice: each leaves a pending request or an object.
const std::vector<std::string> kSilencedCalls = {"aw_object_load", "aw_object_change",
                                                 "aw_object_delete", "aw_cell_next"};
const std::vector<int> kReasons = {reason::NoConnection, reason::NoSuchObject, reason::OutOfWorld,
                                   reason::NotAllowed, reason::InvalidArgument};

class SoakDriver final {
public:
    SoakDriver(uint64_t seed, int chaosMinutes)
        : random_(seed), runner_(silent_, {}), chaosTicks_(chaosMinutes * kTicksPerMinute) {
        result_.seed = seed;
    }

    SoakResult Run();

private:
    bool Feed(const std::string& line);
    bool FeedAll(const std::vector<std::string>& lines);
    bool Tick();
    bool Fail(const std::string& violation, const std::string& expectation);
    void Act();
    void Fault();
    void Later(int64_t ticks, const std::string& line) { scheduled_.emplace(tick_ + ticks, line); }
    bool Quiet();

    // Actions of the users.
    const SoakUser* Present();
    std::optional<SimObject> AnyObject(bool markersOnly);
    std::string Position();
    void Build(const SoakUser& user);

    SoakRandom random_;
    std::ostream silent_{nullptr};
    ScenarioRunner runner_;
    const int64_t chaosTicks_;
    int64_t tick_ = 0;
    SoakPlan plan_;
    SoakResult result_;
    std::multimap<int64_t, std::string> scheduled_;
    bool loginDue_ = false;
};

bool SoakDriver::Feed(const std::string& line) {
    result_.script.push_back(line);
    std::istringstream in(line);
    runner_.Feed(in);
    return runner_.Failed() == 0 || Fail(runner_.LastFailure(), "");
}

bool SoakDriver::FeedAll(const std::vector<std::string>& lines) {
    std::string block;
    for (const std::string& line : lines) block += line + "\n";
    result_.script.insert(result_.script.end(), lines.begin(), lines.end());
    std::istringstream in(block);
    runner_.Feed(in);
    return runner_.Failed() == 0 || Fail(runner_.LastFailure(), "");
}

bool SoakDriver::Fail(const std::string& violation, const std::string& expectation) {
    result_.passed = false;
    result_.violation = violation;
    if (!expectation.empty()) result_.script.push_back(expectation);
    return false;
}

bool SoakDriver::Tick() {
    ++tick_;
    if (!Feed("tick")) return false;
    Bot* bot = runner_.CurrentBot();
    if (!bot) return true;
    const std::vector<std::string> found = CheckSteady(*bot, runner_.Watch());
    return found.empty() || Fail(found.front(), "expect invariants");
}

const SoakUser* SoakDriver::Present() {
    std::vector<const SoakUser*> present;
    const std::vector<int32_t> sessions = runner_.World().AvatarSessions();
    for (const SoakUser& user : SoakUsers())
        if (std::find(sessions.begin(), sessions.end(), user.session) != sessions.end())
            present.push_back(&user);
    return present.empty() ? nullptr : random_.Pick(present);
}

std::optional<SimObject> SoakDriver::AnyObject(bool markersOnly) {
    std::vector<SimObject> objects = runner_.World().Objects("terra");
    if (markersOnly)
        std::erase_if(objects, [](const SimObject& object) { return object.model != kMarkerModel; });
    if (objects.empty()) return std::nullopt;
    return random_.Pick(objects);
}

// Mostly near the middle, where users meet; now and then just outside the world.
std::string SoakDriver::Position() {
    const int32_t reach = std::min(plan_.worldSize, 4);
    auto coordinate = [&] {
        if (random_.Chance(0.03)) return (plan_.worldSize + 2) * 1000;
        return random_.Between(-reach, reach) * 1000 + random_.Between(-499, 499);
    };
    const int32_t x = coordinate();
    const int32_t z = coordinate();
    return std::to_string(x) + " " + std::to_string(random_.Between(-200, 200)) + " " +
           std::to_string(z);
}

void SoakDriver::Build(const SoakUser& user) {
    const std::string who = "build " + std::to_string(user.session) + " ";
    if (random_.Chance(0.05)) {
        Feed(who + Position() + " model tree.rwx");
        return;
    }
    int32_t x = random_.Between(-3, 3) * 1000, z = random_.Between(-3, 3) * 1000;
    const std::optional<SimObject> rival =
        random_.Chance(0.2) ? AnyObject(true) : std::nullopt;
    if (rival) {
        x = rival->x;
        z = rival->z;
    }
    if (random_.Chance(0.1)) x += random_.Between(-700, 700);
    std::string line = who + std::to_string(x) + " " + std::to_string(random_.Between(-300, 300)) +
                       " " + std::to_string(z) + " desc \"" + MarkerDescription(random_) + "\"";
    if (random_.Chance(0.1)) line += " action \"create visible no\"";
    if (random_.Chance(0.05)) line += " yaw 900";
    if (random_.Chance(0.1)) line += " owner " + std::to_string(random_.Between(1, 6));
    Feed(line);
}

void SoakDriver::Act() {
    const SoakUser* user = Present();
    const int kind = random_.Between(0, 99);
    if (!user || kind < 6) {
        const SoakUser& entering = random_.Pick(SoakUsers());
        std::string line = "enter " + std::to_string(entering.session) + " " +
                           std::to_string(entering.citizen) + " " + Position();
        if (entering.privilege != 0) line += " privilege " + std::to_string(entering.privilege);
        if (*entering.name) line += " name " + std::string(entering.name);
        Feed(line);
        return;
    }
    const std::string session = std::to_string(user->session);
    if (kind < 9) {
        Feed("leave " + session);
    } else if (kind < 18) {
        Feed("move " + session + " " + Position());
    } else if (kind < 55) {
        Feed("say " + session + " " + ChatText(random_));
    } else if (kind < 72) {
        Build(*user);
    } else if (kind < 90) {
        const std::optional<SimObject> object = AnyObject(kind < 85);
        if (!object) return;
        static const char* const verbs[] = {"remove", "remove", "click", "click", "select"};
        Feed(std::string(verbs[random_.Between(0, 4)]) + " " + session + " " +
             std::to_string(object->x) + " " + std::to_string(object->z));
    } else if (kind < 92) {
        // A flood: a burst of commands faster than the options allow.
        const int count = static_cast<int>(plan_.options.FloodCommands) + 3;
        for (int i = 0; i < count; ++i) Feed("say " + session + " t:stats");
    } else if (kind < 97) {
        Feed("say 11 t:" + random_.Pick(std::vector<std::string>{
                               "rights add 3", "rights remove 3", "rights add 2~4",
                               "rights remove 2", "rights add 'dee'", "rights", "clearcache"}));
    } else if (!loginDue_ && random_.Chance(0.2)) {
        Feed(random_.Chance(0.7) ? "logout" : "restart");
        ++result_.faults[result_.script.back()];
        loginDue_ = true;
        Later(random_.Between(1, 60) * kTicksPerSecond, "login");
    }
}

void SoakDriver::Fault() {
    SimWorld& world = runner_.World();
    const double perTick = 1.0 / static_cast<double>(kTicksPerMinute);
    if (world.Connected() && random_.Chance(plan_.faults.outages * perTick)) {
        Feed("disconnect");
        const int seconds = random_.Chance(0.5) ? random_.Between(1, 15) : random_.Between(15, 120);
        ++result_.faults["outage"];
        result_.faults["outage seconds"] += seconds;
        Later(seconds * kTicksPerSecond, "reconnect");
    }
    if (random_.Chance(plan_.faults.refusals * perTick)) {
        const std::string call = random_.Pick(kRefusedCalls);
        const int reason = random_.Pick(kReasons);
        // Now and then the world keeps refusing an object or cell call long enough for the bot to
        // give the request up; messages, ejects and look-ups are given up after 10 seconds by
        // design, so they are refused in short bursts only.
        const bool lasting = call.rfind("aw_object_", 0) == 0 || call == "aw_cell_next";
        const int count =
            lasting && random_.Chance(0.1) ? random_.Between(40, 120) : random_.Between(1, 6);
        Feed("fail " + call + " " + std::to_string(reason) + " " + std::to_string(count));
        ++result_.faults["refused " + call + " " + std::to_string(reason)];
    }
    if (random_.Chance(plan_.faults.silences * perTick)) {
        const std::string call = random_.Pick(kSilencedCalls);
        Feed("mute " + call + " " + std::to_string(random_.Between(1, 4)));
        ++result_.faults["unanswered " + call];
    }
    if (random_.Chance(plan_.faults.delays * perTick)) {
        // Answers late by up to 20 seconds: across the 10-second re-issue window.
        Feed("delay " + std::to_string(random_.Between(4, 80)));
        ++result_.faults["delayed answers"];
        Later(random_.Between(1, 40) * kTicksPerSecond, "delay 0");
    }
}

bool SoakDriver::Quiet() {
    Bot* bot = runner_.CurrentBot();
    return bot && bot->world.callbacks.Empty() && bot->world.queries.Empty() &&
           bot->world.commands.Empty() && bot->world.reconcile.cells.empty() &&
           bot->world.repairs.Empty() && MessagesForPresentUsers(*bot, runner_.World()) == 0 &&
           runner_.World().PendingDeliveries() == 0;
}

SoakResult SoakDriver::Run() {
    plan_ = DrawPlan(random_);
    result_.plan = PlanSummary(plan_);
    FeedAll(SoakUniverse(plan_.worldSize)) && FeedAll(ConfigFileLines(plan_)) && Feed("login");
    while (result_.passed && tick_ < chaosTicks_) {
        for (auto due = scheduled_.begin();
             result_.passed && due != scheduled_.end() && due->first <= tick_;
             due = scheduled_.erase(due)) {
            Feed(due->second);
        }
        if (result_.passed && random_.Chance(0.2)) Act();
        if (result_.passed) Fault();
        if (result_.passed) Tick();
    }
    // Healed: faults off, the bot back in the world, users idle until the bot rests.
    if (result_.passed) Feed("heal");
    const Bot* bot = runner_.CurrentBot();
    if (result_.passed && (!bot || !bot->timerEnabled)) Feed("login");
    const int64_t deadline = tick_ + int64_t{kHealDeadlineSeconds} * kTicksPerSecond;
    while (result_.passed && !Quiet() && tick_ < deadline) Tick();
    if (result_.passed) Feed("expect settled");

    result_.virtualMs = tick_ * 250;
    for (const std::string& entry : runner_.Log().activities)
        if (entry.rfind("Gave up ", 0) == 0) runner_.Watch().Count(RarePath::GivenUp);
    result_.rare = runner_.Watch().rare;
    result_.refusals = runner_.Watch().refusals;
    if (result_.passed) result_.script.clear();
    return result_;
}

}  // namespace

SoakResult RunSoakSeed(uint64_t seed, int chaosMinutes) {
    SoakDriver driver(seed, chaosMinutes);
    return driver.Run();
}

std::string ScriptText(const std::vector<std::string>& lines) {
    std::string text;
    int64_t ticks = 0;
    auto flush = [&] {
        if (ticks == 1) text += "tick\n";
        if (ticks > 1) text += "tick " + std::to_string(ticks) + "\n";
        ticks = 0;
    };
    for (const std::string& line : lines) {
        if (line == "tick") {
            ++ticks;
            continue;
        }
        flush();
        text += line + "\n";
    }
    flush();
    return text;
}

}  // namespace tv
