#include "app/LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace tv {

namespace {

// A buffered log writes at the latest when this much waits, however long the tick.
constexpr std::size_t kFlushAt = 1 << 20;

uint64_t LineCount(std::string_view text) {
    return static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

std::filesystem::path Numbered(const std::filesystem::path& path, int n) {
    std::filesystem::path numbered = path;
    numbered += "." + std::to_string(n);
    return numbered;
}

}  // namespace

LogFile::~LogFile() {
    Close();
}

void LogFile::SetMode(Mode mode) {
    Close();
    mode_ = mode;
}

void LogFile::SetRotation(uint64_t maxBytes, int keep) {
    rotateAt_ = maxBytes;
    keep_ = std::max(keep, 1);
}

void LogFile::Close() {
    if (mode_ == Mode::Buffered && !buffer_.empty()) Flush(lastIdentityCheck_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool LogFile::Open(const std::filesystem::path& path) {
    if (fd_ >= 0) ::close(fd_);
    openPath_ = path;
    // Opened for reading too, to see whether the file ends in a torn line; a file only writable
    // is still written.
    fd_ = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0 && errno == EACCES)
        fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    struct stat opened {};
    if (fd_ >= 0 && (::fstat(fd_, &opened) != 0 || !S_ISREG(opened.st_mode))) {
        // Not a file lines can be appended to (a device, say): refused like a folder.
        errno = S_ISREG(opened.st_mode) ? errno : EISDIR;
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0) {
        lastError_ = std::strerror(errno);
        return false;
    }
    size_ = static_cast<uint64_t>(opened.st_size);
    // A line left torn by an earlier failure (or another program) is ended before the next.
    char last = '\n';
    if (size_ > 0 && ::pread(fd_, &last, 1, static_cast<off_t>(size_ - 1)) != 1) last = '\n';
    startWithNewline_ = last != '\n';
    return true;
}

bool LogFile::StillAtPath() const {
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd_, &opened) != 0 || ::stat(openPath_.c_str(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

std::string LogFile::NoticeLine() const {
    return LostNotice ? LostNotice(lost_) + "\n" : std::string();
}

bool LogFile::WriteLines(std::string_view lines, bool withNotice) {
    // The rare extras (ending a torn line, the lost-lines notice) cost a copy; plain lines none.
    std::string payload;
    std::size_t noticeEnd = 0;
    if (startWithNewline_ || withNotice) {
        if (startWithNewline_) payload = "\n";
        if (withNotice) payload += NoticeLine();
        noticeEnd = payload.size();
        payload.append(lines);
        lines = payload;
    }
    std::size_t written = 0;
    while (written < lines.size()) {
        const ssize_t n = ::write(fd_, lines.data() + written, lines.size() - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    if (written == lines.size()) {
        size_ += written;
        startWithNewline_ = false;
        if (withNotice) lost_ = 0;
        return true;
    }
    lastError_ = std::strerror(errno != 0 ? errno : EIO);
    const std::size_t lastEnd = lines.substr(0, written).rfind('\n');
    const std::size_t keep = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
    if (written > keep && ::ftruncate(fd_, static_cast<off_t>(size_ + keep)) != 0) {
        size_ += written;
        startWithNewline_ = true;
    } else {
        size_ += keep;
        if (keep > 0) startWithNewline_ = false;
    }
    // Lines that did not make it, not counting the extras in front of them.
    const uint64_t missing = LineCount(lines.substr(keep));
    const uint64_t extrasMissing =
        keep >= noticeEnd ? 0 : LineCount(lines.substr(keep, noticeEnd - keep));
    if (withNotice && keep >= noticeEnd) lost_ = 0;
    lost_ += missing - std::min(missing, extrasMissing);
    return false;
}

bool LogFile::Append(const std::filesystem::path& path, std::string_view line, int64_t nowSeconds) {
    return mode_ == Mode::EachLine ? AppendEachLine(path, line)
                                   : AppendBuffered(path, line, nowSeconds);
}

bool LogFile::AppendEachLine(const std::filesystem::path& path, std::string_view line) {
    if (!Open(path)) {
        ++lost_;
        return false;
    }
    std::string text(line);
    text.push_back('\n');
    errno = 0;
    const bool written = WriteLines(text, lost_ > 0 && LostNotice);
    ::close(fd_);
    fd_ = -1;
    return written;
}

bool LogFile::AppendBuffered(const std::filesystem::path& path, std::string_view line,
                             int64_t nowSeconds) {
    if (fd_ >= 0 && path.native() != openPath_.native()) Close();
    if (fd_ < 0) {
        // A file that cannot be opened is tried again at most once a second.
        if (openFailed_ && nowSeconds == lastOpenAttempt_ && path.native() == openPath_.native()) {
            ++lost_;
            return false;
        }
        lastOpenAttempt_ = nowSeconds;
        lastIdentityCheck_ = nowSeconds;
        openFailed_ = !Open(path);
        if (openFailed_) {
            ++lost_;
            return false;
        }
    }
    buffer_.append(line);
    buffer_.push_back('\n');
    if (buffer_.size() >= kFlushAt) Flush(nowSeconds);
    return true;
}

bool LogFile::Flush(int64_t nowSeconds) {
    if (mode_ != Mode::Buffered || buffer_.empty()) return true;
    if (fd_ >= 0 && nowSeconds != lastIdentityCheck_) {
        // Removed or moved away since it was opened: the lines go to a new file at the path.
        lastIdentityCheck_ = nowSeconds;
        if (!StillAtPath()) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    if (fd_ < 0 && !Open(openPath_)) {
        lost_ += LineCount(buffer_);
        buffer_.clear();
        return false;
    }
    errno = 0;
    const bool written = WriteLines(buffer_, lost_ > 0 && LostNotice);
    buffer_.clear();
    if (rotateAt_ > 0 && size_ >= rotateAt_) Rotate();
    return written;
}

void LogFile::Rotate() {
    ::close(fd_);
    fd_ = -1;
    std::error_code ignored;
    std::filesystem::remove(Numbered(openPath_, keep_), ignored);
    for (int n = keep_ - 1; n >= 1; --n)
        std::filesystem::rename(Numbered(openPath_, n), Numbered(openPath_, n + 1), ignored);
    std::filesystem::rename(openPath_, Numbered(openPath_, 1), ignored);
}

}  // namespace tv
