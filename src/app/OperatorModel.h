#pragma once
// Everything the operator's window shows, as plain state: status text and index, link text, the
// ten statistics rows, the Login/Logout button, the tray hint, the 100-entry activity list, the
// sorted list of working users with its header, and the traffic totals. Front ends render it;
// an observer hears every change (the headless program prints them, tests record them).

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tv {

enum class ActivityCategory : uint8_t { Action, Command, Error, Message, Safeguard };
const char* ActivityCategoryName(ActivityCategory category);

struct ActivityEntry {
    std::string dateTime;
    ActivityCategory category = ActivityCategory::Message;
    int32_t privilege = -1;  // negative: none, shown empty
    std::string name;
    std::string message;
    std::string PrivilegeText() const;  // decimal, or empty when negative
};

enum class StatusIndex : int {
    Active = 0,
    Disconnected = 1,
    LoggingIn = 2,
    Ready = 3,
    Terminated = 4
};
const char* StatusText(StatusIndex index);
enum class LinkIndex : int { Disconnected = 0, Offline = 1, Online = 2 };
const char* LinkText(LinkIndex index);

enum class ButtonAction { Login, Logout };

struct NumberSeparators;

// "1 byte", "12 bytes", "1.5 KiB", "2.0 MiB", "1.0 GiB" with the user's separators.
std::string FormatByteSize(uint32_t bytes);
std::string FormatByteSize(const NumberSeparators& separators, uint32_t bytes);

class OperatorObserver {
public:
    virtual ~OperatorObserver() = default;
    virtual void OnActivity(const ActivityEntry&) {}
    virtual void OnStatus(const std::string& /*text*/) {}
    virtual void OnStat(int /*row*/, const std::string& /*text*/) {}
    virtual void OnSessionList() {}
    virtual void OnButton() {}
};

class OperatorModel final {
public:
    static constexpr int kStatRows = 10;
    static constexpr std::size_t kActivityLimit = 100;

    void SetObserver(OperatorObserver* observer) { observer_ = observer; }

    // Status panel. SetStatus also enables the button except for "Terminated".
    void SetStatus(StatusIndex index);
    void SetStatusText(const std::string& text);  // free text such as "Shutting down..."
    StatusIndex ConnectionState() const { return connectionState_; }
    const std::string& Status() const { return status_; }
    void SetLinkText(LinkIndex index);

    void SetStat(int row, const std::string& text);
    const std::string& Stat(int row) const;

    void SetCaption(const std::string& text) { caption_ = text; }
    const std::string& Caption() const { return caption_; }
    void SetTrayHint(const std::string& text) { trayHint_ = text; }
    const std::string& TrayHint() const { return trayHint_; }

    void SetButton(ButtonAction action, bool enabled);
    void SetButtonEnabled(bool enabled);
    ButtonAction Button() const { return button_; }
    const char* ButtonCaption() const;  // "&Login" or "&Logout"
    bool ButtonEnabled() const { return buttonEnabled_; }

    // Newest first; the 101st entry pushes the oldest out.
    void AddActivityEntry(ActivityEntry entry);
    const std::deque<ActivityEntry>& Activity() const { return activity_; }

    // The working users, told as sessions are switched on and off: each name once however many
    // sessions carry it, sorted without regard to case; the header reads
    // "%d user%s with active terrain sessions.".
    void AddWorkingUser(const std::string& name);
    void RemoveWorkingUser(const std::string& name);
    void ClearWorkingUsers();
    const std::vector<std::string>& SessionList() const { return sessionList_; }
    std::string SessionListHeader() const;

    // Adds the bytes since the last call and rewrites row 9.
    void AddTraffic(uint32_t bytesIn, uint32_t bytesOut);
    uint32_t BytesIn() const { return bytesIn_; }
    uint32_t BytesOut() const { return bytesOut_; }

private:
    OperatorObserver* observer_ = nullptr;
    StatusIndex connectionState_ = StatusIndex::Ready;
    std::string status_ = "Ready";
    std::array<std::string, kStatRows> stats_{};
    std::string caption_ = "Terravane";
    std::string trayHint_;
    ButtonAction button_ = ButtonAction::Login;
    bool buttonEnabled_ = true;
    std::deque<ActivityEntry> activity_;
    std::vector<std::string> sessionList_;
    std::unordered_map<std::string, int> workingSessions_;  // name -> sessions carrying it
    uint32_t bytesIn_ = 0;
    uint32_t bytesOut_ = 0;
};

}  // namespace tv
