#pragma once
// Reading and writing the small per-user files that stand in for the registry
// and for initialisation files: bounded reads, and writes that replace a file
// atomically so that a crash leaves either the old or the new contents.

#include <cstddef>
#include <string>
#include <string_view>

namespace pl {

struct ConfigFileContents {
    enum class State { Read, Missing, Unreadable };

    State state = State::Missing;
    std::string bytes;       // at most the limit given to ReadConfigFile
    bool truncated = false;  // the file was longer than the limit
};

// Reads at most `limit` bytes of the file. A file that does not exist is
// Missing; one that exists but cannot be read (permissions, a directory) is
// Unreadable.
ConfigFileContents ReadConfigFile(const std::string& path, std::size_t limit);

// Creates `path` and its missing parents with mode 0700; true when the folder
// exists afterwards.
bool MakeDirectories(const std::string& path);

// Replaces the file at `path` with `contents`: writes a temporary file in the
// same folder (creating the folder when missing), flushes it to disk and
// renames it over the old file. When `path` is a symbolic link the file it
// points to is replaced and the link stays (dotfile managers link these
// files). The new file gets `mode`. Returns false and leaves the old file
// untouched on any failure; errno then tells its cause.
bool WriteFileAtomically(const std::string& path, std::string_view contents, unsigned mode);

// The file a chain of symbolic links ends at (even when that file does not
// exist yet); `path` itself when it is not a link.
std::string FollowSymlinks(const std::string& path);

// The folder part of a path ("a/b/c" -> "a/b", "c" -> ".", "/c" -> "/").
std::string ParentFolder(const std::string& path);

}  // namespace pl
