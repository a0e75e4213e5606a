#pragma once
// TMainForm: the activity log with its log-file controls, the status panel, the ten statistics
// rows, the buttons and the list of working users. A view of the bot's operator model: it renders
// every change the model reports and forwards clicks to the core's actions. The 250 ms heartbeat
// runs from a timer whose ticks keep to a fixed schedule, so the tick's own cost does not make
// them drift. Minimising hides the window in the system tray where the desktop has one.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/OperatorModel.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSystemTrayIcon;
class QTableWidget;
class QToolButton;
class QTreeWidget;

namespace tv {

class Bot;
class SimWorld;
class WorldMapWindow;
class JournalWindow;

class MainWindow final : public QWidget, private OperatorObserver {
public:
    static constexpr int kTickMs = 250;

    // `world` is the embedded world when the bot runs on one (the map then offers a hand on it).
    MainWindow(Bot& bot, SimWorld* world);
    ~MainWindow() override;

    // The rest of the window's creation: the bot's start-up, then the log controls.
    void Start();
    // The Login/Logout button, as a click would.
    void ToggleLogin();
    // One timer tick: `beforeTick` (the demo scene), the heartbeat, the timer's state.
    void Tick();
    QTimer& MainTimer() { return timer_; }
    QSystemTrayIcon& Tray() { return *tray_; }
    WorldMapWindow& Map();
    JournalWindow& Journal();

    std::function<void()> beforeTick;
    // The save dialog of the log file, started in `folder`; empty when cancelled.
    std::function<QString(const QString& folder)> chooseLogFile;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildEventLog();
    void BuildStatus();
    void RenderAll();
    void RefreshTray();
    void SyncTimer();
    void OnTimer();
    void ShowConfig();
    void LogToFileClick();
    void LogFileClick();
    void RestoreFromTray();
    // Runs a handler; an error reaches the operator in a box and the program goes on.
    void Run(const std::function<void()>& action);

    void OnActivity(const ActivityEntry& entry) override;
    void OnStatus(const std::string& text) override;
    void OnStat(int row, const std::string& text) override;
    void OnSessionList() override;
    void OnButton() override;

    Bot& bot_;
    SimWorld* world_;
    QTimer timer_;
    QElapsedTimer schedule_;
    qint64 tickIndex_ = 0;

    QCheckBox* chkLogToFile_ = nullptr;
    QLineEdit* txtLogFile_ = nullptr;
    QToolButton* btnLogFile_ = nullptr;
    QTreeWidget* lvActivityLog_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QTableWidget* lvStats_ = nullptr;
    QPushButton* btnCtrl_ = nullptr;
    QLabel* lbSessionListHdr_ = nullptr;
    QListWidget* lbSessionList_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    WorldMapWindow* map_ = nullptr;
    JournalWindow* journal_ = nullptr;
};

}  // namespace tv
