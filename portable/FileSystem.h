// Folders and files, as the test programs, the generator and the host program need them.
// Paths are narrow strings in the system's own form ('/' works on both systems). Functions that
// can fail take an optional `error` that receives one line naming the path and the system's
// reason. Any thread may call them; the working folder is process-wide.
#pragma once
#include <string>
#include <vector>

namespace zephyr::portable {

enum class PathKind { kMissing, kFile, kFolder, kOther };

// What is at `path` (symbolic links followed).
PathKind KindOf(const std::string& path);
inline bool IsFolder(const std::string& path) { return KindOf(path) == PathKind::kFolder; }
inline bool Exists(const std::string& path) { return KindOf(path) != PathKind::kMissing; }

// A character that separates names in a path: '/' (POSIX); '/' and '\\' (Windows).
bool IsPathSeparator(char c);

// Creates one folder; false if it could not be made (an existing one included).
bool MakeFolder(const std::string& path, std::string* error = nullptr);
// Creates the folder and its missing parents; true when the folder exists afterwards.
bool MakeFolders(const std::string& path, std::string* error = nullptr);

// The system's folder for temporary files (TMPDIR or /tmp; GetTempPath), without a trailing
// separator.
std::string TemporaryBase();
// A new, empty folder under `base` (TemporaryBase() when empty) whose name starts with
// `prefix`; its path, or "" on failure.
std::string MakeTemporaryFolder(const std::string& prefix, const std::string& base = "");

// Removes a file or a folder with everything in it (links are removed, not followed).
// True when nothing is left at `path`.
bool RemoveTree(const std::string& path);

// Names of the entries of a folder, without "." and "..", in no particular order.
std::vector<std::string> FolderEntries(const std::string& path);

// The process's working folder, and making `path` the working folder.
std::string WorkingFolder();
bool ChangeWorkingFolder(const std::string& path, std::string* error = nullptr);

// The absolute, canonical path of an existing file or folder; "" when it cannot be resolved.
std::string CanonicalPath(const std::string& path);

// Replaces the file with `bytes` in one step: written beside it ("<path>.part") and renamed over
// it, so a reader never sees half a file. On failure the old file is left as it was.
bool ReplaceFileBytes(const std::string& path, const std::string& bytes,
                      std::string* error = nullptr);

// The file may be run as a program (POSIX: the execute bits; Windows: it exists as a file).
bool IsRunnable(const std::string& path);
// Lets a copied program or library be run (POSIX: mode 0755; nothing to do on Windows).
void MarkRunnable(const std::string& path);

}  // namespace zephyr::portable
