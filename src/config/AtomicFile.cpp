#include "config/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/Errors.h"

namespace tv {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 1000;

[[noreturn]] void FailWrite(const std::string& fileName, const std::string& reason) {
    throw EInOutError("Cannot write file \"" + fileName + "\": " + reason);
}

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The file a chain of symbolic links ends at (the name itself when it is no link), so that the
// new content replaces the target and the link stays a link.
fs::path FinalTarget(const std::string& fileName) {
    fs::path path = fileName;
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) break;
        fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// The rename only lasts a crash once the folder entry itself is on disk; best effort.
void SyncFolderOf(const fs::path& file) {
    fs::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Creates a file that did not exist under the first free name `stem` + suffix(n); -1 and errno
// set when it cannot.
int CreateFresh(const std::string& stem, std::string (*suffix)(int), mode_t mode,
                std::string& name) {
    for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
        name = stem + suffix(attempt);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

std::string TemporarySuffix(int attempt) {
    return ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
}

std::string CopySuffix(int attempt) {
    return attempt == 1 ? std::string() : "-" + std::to_string(attempt);
}

}  // namespace

void WriteFileAtomically(const std::string& fileName, std::string_view content, FileAccess access) {
    const fs::path target = FinalTarget(fileName);
    std::error_code ignored;
    if (fs::is_directory(target, ignored)) FailWrite(fileName, Quoted(target) + " is a folder");
    const mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0666;
    std::string temporary;
    int fd = CreateFresh(target.string(), TemporarySuffix, mode, temporary);
    if (fd < 0)
        FailWrite(fileName, "cannot create " + Quoted(temporary) + ": " + std::strerror(errno));
    bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    std::string reason = std::strerror(error);
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        reason = "cannot replace it with " + Quoted(temporary) + ": " + std::strerror(errno);
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        FailWrite(fileName, reason);
    }
    SyncFolderOf(target);
}

bool ReadWholeFile(const std::string& fileName, std::string& content) {
    std::string error;
    return ReadFileContent(fileName, content, error) == FileRead::Ok;
}

FileRead ReadFileContent(const std::string& fileName, std::string& content, std::string& error) {
    std::error_code status;
    const fs::file_status info = fs::status(fileName, status);
    if (info.type() == fs::file_type::not_found) return FileRead::Missing;
    if (info.type() == fs::file_type::directory) return FileRead::Folder;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = status ? status.message() : std::strerror(errno);
        return FileRead::Failed;
    }
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "read error";
        return FileRead::Failed;
    }
    return FileRead::Ok;
}

std::string WriteToFreeName(const std::string& base, std::string_view content) {
    std::string name;
    int fd = CreateFresh(base, CopySuffix, 0600, name);
    if (fd < 0)
        throw EInOutError("Cannot write file " + Quoted(name) + ": " + std::strerror(errno));
    bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
    int error = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(name.c_str());
        throw EInOutError("Cannot write file " + Quoted(name) + ": " + std::strerror(error));
    }
    return name;
}

}  // namespace tv
