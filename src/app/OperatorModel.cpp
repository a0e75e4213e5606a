#include "app/OperatorModel.h"

#include <algorithm>
#include <stdexcept>

#include "app/Format.h"

namespace tv {

const char* ActivityCategoryName(ActivityCategory category) {
    switch (category) {
        case ActivityCategory::Action:
            return "Action";
        case ActivityCategory::Command:
            return "Command";
        case ActivityCategory::Error:
            return "Error";
        case ActivityCategory::Message:
            return "Message";
        case ActivityCategory::Safeguard:
            return "Safeguard";
    }
    return "";
}

std::string ActivityEntry::PrivilegeText() const {
    return privilege < 0 ? std::string() : std::to_string(privilege);
}

const char* StatusText(StatusIndex index) {
    switch (index) {
        case StatusIndex::Active:
            return "Active";
        case StatusIndex::Disconnected:
            return "Disconnected; reconnecting...";
        case StatusIndex::LoggingIn:
            return "Logging in...";
        case StatusIndex::Ready:
            return "Ready";
        case StatusIndex::Terminated:
            return "Terminated; restart required.";
    }
    return "";
}

const char* LinkText(LinkIndex index) {
    switch (index) {
        case LinkIndex::Disconnected:
            return "Disconnected";
        case LinkIndex::Offline:
            return "Offline";
        case LinkIndex::Online:
            return "Online";
    }
    return "";
}

std::string FormatByteSize(const NumberSeparators& separators, uint32_t bytes) {
    if (bytes < 1024u)
        return Format(separators, "%.0n byte%s",
                      {static_cast<double>(bytes), bytes == 1 ? "" : "s"});
    if (bytes < 1048576u) return Format(separators, "%.*n KiB", {1, bytes / 1024.0});
    if (bytes < 1073741824u) return Format(separators, "%.*n MiB", {1, bytes / 1048576.0});
    return Format(separators, "%.*n GiB", {1, bytes / 1073741824.0});
}

std::string FormatByteSize(uint32_t bytes) {
    return FormatByteSize(UserSeparators(), bytes);
}

void OperatorModel::SetStatus(StatusIndex index) {
    connectionState_ = index;
    SetButtonEnabled(index != StatusIndex::Terminated);
    SetStatusText(StatusText(index));
}

void OperatorModel::SetStatusText(const std::string& text) {
    status_ = text;
    if (observer_) observer_->OnStatus(status_);
}

void OperatorModel::SetLinkText(LinkIndex index) {
    SetStat(1, LinkText(index));
}

void OperatorModel::SetStat(int row, const std::string& text) {
    if (row < 0 || row >= kStatRows) throw std::out_of_range("statistics row out of range");
    std::string& value = stats_[static_cast<std::size_t>(row)];
    if (value == text) return;
    value = text;
    if (observer_) observer_->OnStat(row, value);
}

const std::string& OperatorModel::Stat(int row) const {
    if (row < 0 || row >= kStatRows) throw std::out_of_range("statistics row out of range");
    return stats_[static_cast<std::size_t>(row)];
}

void OperatorModel::SetButton(ButtonAction action, bool enabled) {
    if (button_ == action && buttonEnabled_ == enabled) return;
    button_ = action;
    buttonEnabled_ = enabled;
    if (observer_) observer_->OnButton();
}

void OperatorModel::SetButtonEnabled(bool enabled) {
    SetButton(button_, enabled);
}

const char* OperatorModel::ButtonCaption() const {
    return button_ == ButtonAction::Login ? "&Login" : "&Logout";
}

void OperatorModel::AddActivityEntry(ActivityEntry entry) {
    while (activity_.size() >= kActivityLimit) activity_.pop_back();
    activity_.push_front(std::move(entry));
    if (observer_) observer_->OnActivity(activity_.front());
}

namespace {

bool Before(const std::string& a, const std::string& b) {
    return CompareText(a, b) < 0;
}

}  // namespace

void OperatorModel::AddWorkingUser(const std::string& name) {
    if (workingSessions_[name]++ > 0) return;
    sessionList_.insert(std::upper_bound(sessionList_.begin(), sessionList_.end(), name, Before),
                        name);
    if (observer_) observer_->OnSessionList();
}

void OperatorModel::RemoveWorkingUser(const std::string& name) {
    auto carried = workingSessions_.find(name);
    if (carried == workingSessions_.end() || --carried->second > 0) return;
    workingSessions_.erase(carried);
    // Among the names equal but for case, the one spelled exactly so.
    auto [first, last] = std::equal_range(sessionList_.begin(), sessionList_.end(), name, Before);
    auto listed = std::find(first, last, name);
    if (listed != last) sessionList_.erase(listed);
    if (observer_) observer_->OnSessionList();
}

void OperatorModel::ClearWorkingUsers() {
    if (sessionList_.empty()) return;
    sessionList_.clear();
    workingSessions_.clear();
    if (observer_) observer_->OnSessionList();
}

std::string OperatorModel::SessionListHeader() const {
    const std::size_t count = sessionList_.size();
    return Format("%d user%s with active terrain sessions.",
                  {static_cast<unsigned long>(count), count == 1 ? "" : "s"});
}

void OperatorModel::AddTraffic(uint32_t bytesIn, uint32_t bytesOut) {
    // The totals are 32-bit and wrap, like the counters they mirror.
    bytesIn_ += bytesIn;
    bytesOut_ += bytesOut;
    SetStat(9, Format("%s in, %s out", {FormatByteSize(bytesIn_), FormatByteSize(bytesOut_)}));
}

}  // namespace tv
