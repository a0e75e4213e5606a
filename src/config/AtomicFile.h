#pragma once
// Replaces a file's content as a whole: the new bytes go to "<name>.tmp" in the same folder,
// are flushed to disk, and the temporary file is renamed over the old one. A failure at any
// step leaves the previous file as it was and raises EInOutError.

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

}  // namespace tv
