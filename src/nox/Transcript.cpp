#include "nox/Transcript.h"

#include "app/MessageQueue.h"

namespace tv {

Transcript::Transcript(std::ostream& out, std::function<std::string()> stamp)
    : out_(out), stamp_(std::move(stamp)) {}

void Transcript::Line(const std::vector<std::string>& fields) {
    std::string line = stamp_ ? stamp_() : std::string();
    for (const auto& field : fields) {
        if (!line.empty()) line += '\t';
        line += field;
    }
    out_ << line << '\n';
    out_.flush();
}

void Transcript::OnActivity(const ActivityEntry& entry) {
    activities.push_back(entry.message);
    Line({"activity", ActivityCategoryName(entry.category), entry.PrivilegeText(), entry.name,
          entry.message});
}

void Transcript::OnStatus(const std::string& text) {
    Line({"status", text});
}

void Transcript::OnStat(int row, const std::string& text) {
    if (showStats) Line({"stat", std::to_string(row), text});
}

void Transcript::Dialog(const std::string& text) {
    // Keep one event on one line: line breaks are shown as the escapes \r and \n.
    std::string shown;
    for (char c : text) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else
            shown += c;
    }
    dialogs.push_back(shown);
    Line({"dialog", shown});
}

void Transcript::OnConsoleMessage(const SimConsoleMessage& message) {
    std::string text = message.text;
    const std::string prefix = kReplyPrefix;
    if (text.rfind(prefix, 0) == 0) text.erase(0, prefix.size());
    consoles.push_back({message.session, text});
    Line({"console", std::to_string(message.session), text});
}

void Transcript::OnObjectAdded(const SimObject& object, int32_t bySession) {
    if (bySession == SimWorld::kBotSession) ++builtByBot;
    Line({"object-add", std::to_string(object.number), std::to_string(object.x),
          std::to_string(object.y), std::to_string(object.z), object.description, object.action,
          std::to_string(object.owner), std::to_string(bySession)});
}

void Transcript::OnObjectDeleted(const SimObject& object, int32_t bySession) {
    Line({"object-delete", std::to_string(object.number), std::to_string(object.x),
          std::to_string(object.z), std::to_string(bySession)});
}

void Transcript::OnTerrainSet(int32_t cellX, int32_t cellZ, int32_t value, int32_t height) {
    Line({"terrain", std::to_string(cellX), std::to_string(cellZ), std::to_string(value),
          std::to_string(height)});
}

void Transcript::OnEject(int32_t session, int32_t seconds) {
    Line({"eject", std::to_string(session), std::to_string(seconds)});
}

void Transcript::OnUrl(int32_t session, const std::string& url, const std::string&) {
    Line({"url", std::to_string(session), url});
}

}  // namespace tv
