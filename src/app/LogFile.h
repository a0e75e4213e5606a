#pragma once
// One append-only log file, in one of two ways:
// - EachLine: every line is opened, written in one piece and closed again, so it is on disk when
//   Append returns (the activity log; low volume, and a file moved away is simply made anew).
// - Buffered: the file stays open and lines gather in memory until Flush, which the heartbeat
//   calls once a tick (and shutdown once more), so a crash loses at most one tick of lines. The
//   file's identity is checked at most once a second and it is rotated by size: name -> name.1
//   -> name.2 ..., the oldest dropped (the debug log).
// Neither way leaves a torn line: a write cut short (a full disk) is cut back to the last whole
// line, or, should that fail, the next write starts on a new line. Lines that could not be
// written are counted, and the first write that succeeds again begins with one line saying how
// many were lost (LostNotice makes its text).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tv {

class LogFile final {
public:
    enum class Mode { EachLine, Buffered };

    explicit LogFile(Mode mode) : mode_(mode) {}
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Switching flushes and closes first.
    void SetMode(Mode mode);
    Mode GetMode() const { return mode_; }
    // Buffered only: rotate when the file reaches maxBytes, keeping `keep` old files.
    void SetRotation(uint64_t maxBytes, int keep);

    // The text of the line that reports `lost` lines (without its line end).
    std::function<std::string(uint64_t lost)> LostNotice;

    // One line, without its line end. False when it was not written (EachLine) or the file cannot
    // be opened (Buffered); LastError() says why. `nowSeconds` paces the Buffered checks.
    bool Append(const std::filesystem::path& path, std::string_view line, int64_t nowSeconds);
    // Buffered: writes every waiting line. False when lines were lost.
    bool Flush(int64_t nowSeconds);
    void Close();

    const std::string& LastError() const { return lastError_; }
    uint64_t Lost() const { return lost_; }
    std::size_t Waiting() const { return buffer_.size(); }

private:
    bool Open(const std::filesystem::path& path);
    // True while the open file still is the one at its path (not removed or replaced).
    bool StillAtPath() const;
    // Writes `data` (whole lines) at the end; on a short write cuts back to the last whole line
    // and counts the lines that did not make it. `notice` lines at its start are not counted.
    bool WriteLines(std::string_view data, bool withNotice);
    std::string NoticeLine() const;
    void Rotate();
    bool AppendEachLine(const std::filesystem::path& path, std::string_view line);
    bool AppendBuffered(const std::filesystem::path& path, std::string_view line,
                        int64_t nowSeconds);

    Mode mode_;
    int fd_ = -1;
    std::filesystem::path openPath_;
    uint64_t size_ = 0;
    std::string buffer_;
    std::string lastError_;
    uint64_t lost_ = 0;
    bool startWithNewline_ = false;
    int64_t lastIdentityCheck_ = 0;
    int64_t lastOpenAttempt_ = 0;
    bool openFailed_ = false;
    uint64_t rotateAt_ = 0;  // 0: never
    int keep_ = 0;
};

}  // namespace tv
