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

[[noreturn]] void FailWrite(const std::string& fileName, int error) {
    throw EInOutError("Cannot write file \"" + fileName + "\": " + std::strerror(error));
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

// The rename only lasts a crash once the folder entry itself is on disk; best effort.
void SyncFolderOf(const std::string& fileName) {
    std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    if (folder.empty()) folder = ".";
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void WriteFileAtomically(const std::string& fileName, std::string_view content, FileAccess access) {
    const std::string temporary = fileName + ".tmp";
    const mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0666;
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) FailWrite(fileName, errno);
    // A leftover temporary file keeps its old permissions through O_TRUNC: set them again.
    bool ok = access != FileAccess::OwnerOnly || ::fchmod(fd, 0600) == 0;
    ok = ok && WriteAll(fd, content) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), fileName.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        FailWrite(fileName, error);
    }
    SyncFolderOf(fileName);
}

bool ReadWholeFile(const std::string& fileName, std::string& content) {
    std::error_code ignored;
    if (std::filesystem::is_directory(fileName, ignored)) return false;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace tv
