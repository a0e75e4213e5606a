#pragma once
// Replaces a file's content as a whole: the new bytes go to a temporary file of a unique name in
// the same folder, are flushed to disk, and the temporary file is renamed over the old one. A
// symbolic link is written through to the file it names. A failure at any step leaves the
// previous file as it was and raises EInOutError naming what stood in the way.

#include <string>
#include <string_view>

namespace tv {

enum class FileAccess {
    Shared,     // the usual permissions (subject to the user's umask)
    OwnerOnly,  // readable and writable by the owner only: files that hold passwords
};

void WriteFileAtomically(const std::string& fileName, std::string_view content,
                         FileAccess access = FileAccess::Shared);

// The whole content of a file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& fileName, std::string& content);

enum class FileRead { Ok, Missing, Folder, Failed };
// Like ReadWholeFile, but says why nothing was read; `error` holds the system's reason on Failed.
FileRead ReadFileContent(const std::string& fileName, std::string& content, std::string& error);

// Writes `content` to the first free name of "<base>", "<base>-2", "<base>-3" ..., readable by the
// owner only; returns the name used. Raises EInOutError when no copy could be written.
std::string WriteToFreeName(const std::string& base, std::string_view content);

}  // namespace tv
