#include "app/Bot.h"

#include "app/Connection.h"
#include "app/Errors.h"
#include "events/SessionTable.h"
#include "terrain/TerrainQueue.h"

namespace tv {

Bot::Bot(AwSdk& sdkRef, Clock& clockRef, FrontEnd& frontEndRef, std::filesystem::path folder)
    : sdk(sdkRef),
      clock(clockRef),
      frontEnd(frontEndRef),
      workDir(std::move(folder)),
      logs(PathOf("debug.log")) {
    cache.OnCountersChanged = [this] { ShowCacheCounters(); };
}

Bot::~Bot() {
    JournalFlush(*this);
}

std::filesystem::path Bot::PathOf(const std::string& name) const {
    std::filesystem::path path(name);
    return path.is_absolute() ? path : workDir / path;
}

int32_t Bot::ClockSeconds() const {
    return static_cast<int32_t>(clock.MonotonicMs() / 1000);
}

void Bot::Start() {
    model.SetCaption(Format("Terravane %d.%d.%d", {kVersionMajor, kVersionMinor, kVersionRelease}));
    AddActivity(*this, ActivityCategory::Message, "Application started");
    int reason = sdk.aw_init(kSdkBuild);
    if (reason != 0) {
        FatalStop(Format("Unable to initialize AW.DLL (reason %d)", {reason}));
        return;
    }
    try {
        LoadConfiguration(*this);
    } catch (const std::exception& error) {
        // As any error of a window handler: shown to the operator, and the program goes on.
        frontEnd.ShowError(error.what());
    }
    if (!terminated) JournalOpen(*this);
}

void Bot::FatalStop(const std::string& message) {
    Stop(message, StatusIndex::Terminated);
    sdk.aw_term();
    terminated = true;
}

void Bot::StopWithError(const std::string& message) {
    Stop(message, StatusIndex::Ready);
    // The instance is gone: the button offers a new login whenever the failure came, and that
    // login starts from nothing, as after a logout.
    model.SetButton(ButtonAction::Login, true);
    ForgetWorldState(*this);
    AddActivity(*this, ActivityCategory::Message, "Terrain editor offline");
    model.SetTrayHint("Terravane - (offline)");
}

void Bot::Stop(const std::string& message, StatusIndex status) {
    sdk.aw_destroy();
    timerEnabled = false;
    frontEnd.ShowError(message);
    AddActivity(*this, ActivityCategory::Error, message);
    model.SetStatus(status);
    model.SetLinkText(LinkIndex::Offline);
}

void Bot::Tick() {
    // A dialog's nested message loop can fire the timer inside a tick or inside aw_wait.
    if (inTick_) return;
    inTick_ = true;
    try {
        Heartbeat();
        JournalFlush(*this);
        RefreshWindow();
    } catch (...) {
        inTick_ = false;
        FlushDebugLog(*this);
        throw;
    }
    inTick_ = false;
    // A crash loses at most this tick's debug lines.
    FlushDebugLog(*this);
}

void Bot::Heartbeat() {
    sdk.aw_wait(0);
    if (sdk.aw_session() == 0) return;
    CheckSessionTimeouts(*this);
    CallbackTimeouts(*this);
    RepairsStep(*this);
    TerrainQueryQueueProcess(*this);
    TerrainCommandQueueProcess(*this);
    PumpMessages(*this);
}

void Bot::RefreshWindow() {
    // The working-users list follows the session table as it changes (SessionTable).
    ShowWorkFigures();
    unsigned bytesIn = 0;
    unsigned bytesOut = 0;
    sdk.aw_traffic_count(&bytesIn, &bytesOut);
    model.AddTraffic(bytesIn, bytesOut);
}

bool Bot::CloseQuery() {
    if (sdk.aw_session() != 0) {
        std::string question = Format(
            "Closing Terravane will disable terrain features in %s.\r\n\r\n"
            "Are you sure you wish to close Terravane?",
            {sdk.aw_string(attr::WorldName)});
        if (!ConfirmYesNo(question)) return false;
        model.SetButtonEnabled(false);
        LogoutClick(*this);
    }
    sdk.aw_term();
    return true;
}

void Bot::ResetWorldState() {
    cache.SetWorldSize(worldSize);
    cache.SetDefaultTexture(options.DefaultTexture);
    cache.ResetCounters();
    cache.CreateRows();
    world.Clear();
    JournalResetWorld(*this);
}

int64_t Bot::WorldCellCount() const {
    int64_t side = 2 * static_cast<int64_t>(worldSize) + 1;
    return side * side;
}

void Bot::ShowWorkFigures() {
    model.SetStat(6, std::to_string(sessions.Count()));
    model.SetStat(3, std::to_string(TerrainCommandQueueNumberFromSession(*this, 0)));
}

void Bot::ShowCacheCounters() {
    model.SetStat(2, std::to_string(cache.QueriedCells()));
    double share = worldSize >= 0 && WorldCellCount() > 0
                       ? cache.QueriedCells() * 100.0 / static_cast<double>(WorldCellCount())
                       : 0.0;
    model.SetStat(4, Format("%.6f%%", {share}));
    model.SetStat(5, std::to_string(cache.MarkerCount()));
}

}  // namespace tv
