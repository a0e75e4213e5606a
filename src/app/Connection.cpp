#include "app/Connection.h"

#include "app/Bot.h"
#include "app/Errors.h"
#include "events/SessionTable.h"
#include "events/TerrainEvent.h"
#include "terrain/TerrainCallback.h"

namespace tv {

namespace {

void Check(const char* call, int reason) {
    if (reason != 0) throw EMethodFailed(call, reason);
}

// The cell query carries a cell in 16 bits a coordinate, so no world the bot can serve is larger;
// a size outside that (a fault of the world) would make every size sum overflow or walk billions
// of rows.
int32_t UsableWorldSize(Bot& bot, int32_t size) {
    constexpr int32_t kLargest = kMaxCacheRow;
    if (size >= 0 && size <= kLargest) return size;
    AddActivity(bot, ActivityCategory::Error,
                Format("World size %d is outside 0 to %d; %d is used", {size, kLargest, kLargest}));
    return kLargest;
}

// The logout flush sends five messages a second, and gives up after this long: a queue of
// thousands would otherwise keep the operator waiting for many minutes.
constexpr int64_t kFlushLimitMs = 30000;

// What is still queued reaches the users, five messages a second; what is left after the limit
// is dropped with an Error entry (the next login's users would not be the ones it was meant for).
void FlushMessages(Bot& bot) {
    const int64_t start = bot.clock.MonotonicMs();
    auto away = [&bot] { return bot.model.ConnectionState() == StatusIndex::Disconnected; };
    do {
        bot.sdk.aw_wait(1000);
    } while (PumpMessages(bot) != 0 && !away() && bot.clock.MonotonicMs() - start < kFlushLimitMs);
    if (bot.messages.Empty()) return;
    const int unsent = static_cast<int>(bot.messages.Count());
    AddActivity(bot, ActivityCategory::Error,
                away() ? Format("Logged out with %d messages unsent: the world is away", {unsent})
                       : Format("Logged out with %d messages unsent: the flush stops after %d "
                                "seconds",
                                {unsent, kFlushLimitMs / 1000}));
    bot.messages.Clear();
}

}  // namespace

bool Login(Bot& bot) {
    bot.model.SetStatus(StatusIndex::LoggingIn);
    // Keep the button disabled while logging in: a second click while pending window messages
    // are processed would otherwise start a second login inside this one.
    bot.model.SetButtonEnabled(false);
    bot.model.SetLinkText(LinkIndex::Offline);
    bot.frontEnd.ProcessPendingMessages();

    AwSdk& sdk = bot.sdk;
    const TTerrainLoginInfo& login = bot.options.Login;
    try {
        Check("aw_create", sdk.aw_create(login.UniHost, login.UniPort, nullptr));
        sdk.aw_int_set(attr::LoginCitizen, login.CitizenNumber);
        sdk.aw_string_set(attr::LoginPrivilegePassword, login.PrivilegePassword);
        sdk.aw_string_set(attr::ApplicationName, kApplicationName);
        sdk.aw_string_set(attr::ApplicationVersion, kApplicationVersion);
        Check("aw_login", sdk.aw_login());
        TerrainEventSet(bot);
        InstallAvatarEvents(bot);
        sdk.aw_bool_set(attr::EnterGlobal, true);
        Check("aw_enter", sdk.aw_enter(login.World));
    } catch (const EMethodFailed&) {
        sdk.aw_destroy();
        bot.model.SetStatus(StatusIndex::Ready);
        throw;
    }

    bot.worldSize = UsableWorldSize(bot, sdk.aw_int(attr::WorldSize));
    bot.ResetWorldState();
    bot.featuresOnline = true;
    sdk.aw_wait(50);
    return true;
}

void LoginClick(Bot& bot) {
    bot.model.SetButtonEnabled(false);
    try {
        if (Login(bot)) bot.timerEnabled = true;
    } catch (...) {
        bot.model.SetButtonEnabled(!bot.terminated);
        throw;
    }
    AwSdk& sdk = bot.sdk;
    if (sdk.aw_session() != 0) {
        bot.model.SetButton(ButtonAction::Logout, true);
        AddActivity(bot, ActivityCategory::Message, "Terrain editor online");
        bot.model.SetTrayHint(Format("Terravane - %s", {sdk.aw_string(attr::WorldName)}));
        bot.model.SetStat(8, Format("%.0n", {static_cast<double>(bot.WorldCellCount())}));
        ResumeRollbacks(bot);
    } else {
        // A rights failure during the first wait left no session: offer a new attempt.
        bot.timerEnabled = false;
        bot.model.SetButton(ButtonAction::Login, !bot.terminated);
    }
}

void LogoutClick(Bot& bot) {
    bot.timerEnabled = false;
    bot.model.SetButtonEnabled(false);
    bot.model.SetStatusText("Shutting down...");
    bot.frontEnd.ProcessPendingMessages();

    bot.featuresOnline = false;
    AnnounceToRightsHolders(bot);
    bot.cache.ResetCounters();

    FlushMessages(bot);

    ForgetWorldState(bot);
    bot.sdk.aw_destroy();

    bot.model.SetStatus(StatusIndex::Ready);
    bot.model.SetLinkText(LinkIndex::Offline);
    AddActivity(bot, ActivityCategory::Message, "Terrain editor offline");
    bot.model.SetTrayHint("Terravane - (offline)");
    bot.model.SetButton(ButtonAction::Login, true);
}

void ForgetWorldState(Bot& bot) {
    // What the world reported up to here is journaled before its lists go.
    JournalFlush(bot);
    bot.featuresOnline = false;
    bot.cache.ResetCounters();
    bot.cache.Clear();
    bot.world.Clear();
    // The session figures and the working-users list follow the emptied table at once; the
    // queue figure is shown here because no tick may follow.
    SessionTableReset(bot);
    bot.ShowWorkFigures();
}

void OnWorldAttributes(Bot& bot) {
    AwSdk& sdk = bot.sdk;
    if (!sdk.aw_bool(attr::WorldCaretakerRight)) {
        bot.StopWithError("Caretaker rights are required in this world.");
        return;
    }
    if (!sdk.aw_bool(attr::WorldEminentDomainRight)) {
        bot.StopWithError("Eminent Domain rights are required in this world.");
        return;
    }
    StatusIndex state = bot.model.ConnectionState();
    if (state != StatusIndex::LoggingIn) bot.cache.CountMarkers();
    if (state == StatusIndex::Disconnected) {
        AddActivity(bot, ActivityCategory::Message, "Reconnected to world");
        // What users changed meanwhile never reached the bot: every known cell is asked again.
        RefreshKnownCells(bot);
    }
    if (state != StatusIndex::Active) {
        bot.model.SetStat(0, sdk.aw_string(attr::WorldName));
        bot.model.SetStatus(StatusIndex::Active);
        bot.model.SetLinkText(LinkIndex::Online);
    }
}

void OnWorldDisconnect(Bot& bot) {
    AddActivity(bot, ActivityCategory::Message, "Disconnected from world");
    bot.model.SetStat(0, "");
    SessionTableReset(bot);
    bot.model.SetStatus(StatusIndex::Disconnected);
    bot.model.SetLinkText(LinkIndex::Disconnected);
    // Refusals from before the loss start their clock again once the world is back.
    ++bot.world.reconcile.epoch;
    CallbackReAddAll(bot);
    bot.ShowWorkFigures();
}

}  // namespace tv
