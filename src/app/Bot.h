#pragma once
// The Bot owns every process-wide object, in the start-up order (terrain cache, outgoing queue,
// rights list, session table), and is destroyed in reverse. It runs start-up, the heartbeat and
// the close request; operations that cross units are free functions taking Bot&. Dialogs go
// through FrontEnd, which the desktop window, the headless program and tests implement.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ActivityLog.h"
#include "app/AwSdk.h"
#include "app/Clock.h"
#include "app/MessageQueue.h"
#include "app/OperatorModel.h"
#include "commands/TerrainRights.h"
#include "config/Language.h"
#include "config/Options.h"
#include "events/SessionTable.h"
#include "journal/Journal.h"
#include "journal/Rollback.h"
#include "terrain/Reconcile.h"
#include "terrain/Repairs.h"
#include "terrain/TerrainCache.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"

namespace tv {

inline constexpr int kVersionMajor = 2;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRelease = 14;
inline constexpr const char* kApplicationName = "Terravane";
inline constexpr const char* kApplicationVersion = "Terravane Terrain Manager v2.1";

class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    virtual void ShowError(const std::string& message) = 0;
    virtual void ShowInformation(const std::string& message) = 0;
    virtual bool ConfirmYesNo(const std::string& message) = 0;
    // Lets a window repaint while a long operation runs (no-op where there is no window).
    virtual void ProcessPendingMessages() {}
};

// The three per-world lists, live from login (or clearing the cache) to logout.
struct WorldState {
    TTerrainQueryQueue queries;
    TTerrainCommandQueue commands;
    TTerrainCallbackList callbacks;
    TReconcileBook reconcile;  // given-up cells waiting for the world's answer
    TRepairBook repairs;       // the bot's own work on the world, until the world confirms it
    TRollbackBook rollbacks;   // rollbacks under way
    void Clear() {
        queries.Clear();
        commands.Clear();
        callbacks.Clear();
        reconcile.Clear();
        repairs.Clear();
        rollbacks.Clear();
    }
};

// Which cell's query results are arriving.
struct CellQueryState {
    int32_t CurCellX = 0;
    int32_t CurCellZ = 0;
    bool CellIgnore = false;
    std::vector<uint32_t> Reported;  // numbers of the markers the answer has listed so far
};

class Bot final {
public:
    Bot(AwSdk& sdk, Clock& clock, FrontEnd& frontEnd, std::filesystem::path workDir);
    ~Bot();
    Bot(const Bot&) = delete;
    Bot& operator=(const Bot&) = delete;

    AwSdk& sdk;
    Clock& clock;
    FrontEnd& frontEnd;
    const std::filesystem::path workDir;

    OperatorModel model;
    LogFiles logs;
    TTerrainCache cache;
    TAwMsgQueue messages;
    TTerrainRightsList rights;
    SessionTable sessions;
    Options options;
    LanguageCatalogue language;
    WorldState world;
    CellQueryState cellQuery;
    TJournal journal;

    int32_t worldSize = 0;
    bool featuresOnline = false;
    bool timerEnabled = false;  // MainTimer
    bool terminated = false;    // after FatalStop only closing remains

    // A bare file name resolved in the working folder.
    std::filesystem::path PathOf(const std::string& name) const;
    // The seconds clock of idle times and ages: monotonic, only differences are used.
    int32_t ClockSeconds() const;

    // Window creation: caption, "Application started", aw_init(66), configuration load.
    void Start();
    // One MainTimer tick: the heartbeat, then the window's figures. Never runs inside another
    // tick or inside aw_wait (a dialog's nested loop can fire the timer).
    void Tick();
    // The close request: true when the window may close (aw_term has then been called).
    bool CloseQuery();

    void FatalStop(const std::string& message);
    void StopWithError(const std::string& message);
    bool ConfirmYesNo(const std::string& message) { return frontEnd.ConfirmYesNo(message); }

    // Login step 9 and the cache clearing: counters 0, rows prepared, empty per-world lists.
    void ResetWorldState();
    // Rows 2 and 4 (cached cells and their share of the world) and row 5 (markers).
    void ShowCacheCounters();
    // Rows 6 (users present) and 3 (commands waiting): every tick, and where no tick may follow
    // (a lost connection, a logout) at once.
    void ShowWorkFigures();
    int64_t WorldCellCount() const;

    bool InTick() const { return inTick_; }

private:
    void Stop(const std::string& message, StatusIndex status);
    void Heartbeat();
    void RefreshWindow();
    bool inTick_ = false;
};

}  // namespace tv
