// File-system stand-in: Windows-style paths (backslashes, any letter case)
// mapped onto POSIX, and the raw file operations the framework needs.
#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::os {

// Backslashes become '/', and where a component as written does not exist a
// case-insensitive match in its folder is used. Components that do not exist
// at all are kept as written, so the result also names files to be created.
std::string NativePath(std::string_view path);

struct FileFacts {
    bool exists = false;
    bool folder = false;
    int64_t size = 0;
    std::time_t modified = 0;
};
FileFacts Facts(std::string_view path);

struct FolderEntry {
    std::string name;
    bool folder = false;
    bool hidden = false;
};
// Entries of a folder, "." and ".." left out, sorted by name without case.
[[nodiscard]] bool ListFolder(std::string_view path, std::vector<FolderEntry>& out);

enum class MakeFolderResult { Created, Exists, Failed };
MakeFolderResult MakeFolder(std::string_view path);
[[nodiscard]] bool RemoveFile(std::string_view path);
[[nodiscard]] bool RenameFile(std::string_view from, std::string_view to);

// An open file descriptor, closed with the object.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(FileHandle&& other) noexcept : fd_(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    // A close that fails here has nobody to tell: callers that must know
    // close first.
    ~FileHandle() { (void)Close(); }

    bool Valid() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    [[nodiscard]] int Release();
    [[nodiscard]] bool Close();
    // Read or write up to count bytes; the number moved, or -1 on error.
    [[nodiscard]] int64_t Read(void* buffer, int64_t count);
    [[nodiscard]] int64_t Write(const void* buffer, int64_t count);
    [[nodiscard]] bool Sync();

private:
    int fd_ = -1;
};

// Tests: every write of a FileHandle fails with this errno (ENOSPC stands
// for a full disk) until it is set back to 0.
void SetWriteFault(int error);

enum class OpenMode { Read, Write, ReadWrite, CreateTruncate };
FileHandle OpenFile(std::string_view path, OpenMode mode);

// A new empty file next to the target, for writing a replacement that is
// renamed over the target once complete. Its name is the target's followed
// by ".tmp." and six letters or digits.
FileHandle CreateTempBeside(std::string_view target, std::string& tempPath);
// Renames the complete temporary file over the target, then syncs the folder
// so that the new name survives a crash. False when the rename fails.
[[nodiscard]] bool CommitTempFile(std::string_view tempPath, std::string_view target);
// Flushes a folder's entries to the disk; false when it cannot.
[[nodiscard]] bool SyncFolder(std::string_view folder);
// Told of every folder synced; empty stops it. Tests watch the order of
// renames and syncs through it.
void SetFolderSyncObserver(std::function<void(const std::string& folder)> observer);
// Removes what a process that died mid-write left of CreateTempBeside in the
// folder: regular files named as it names them, untouched for at least
// minAgeSeconds (younger ones may still be written by a running program).
// Nothing else is touched. The number removed.
int32_t RemoveStaleTemporaryFiles(std::string_view folder, int64_t minAgeSeconds = 60);
// The same for one file's own temporaries ("<name>.tmp.XXXXXX" beside it),
// which a crash during its save left behind; nothing else of the folder.
int32_t RemoveStaleTemporaryFilesOf(std::string_view target, int64_t minAgeSeconds = 60);
// Whether a file name is one CreateTempBeside makes.
bool IsTemporaryFileName(std::string_view name);

// Folder of the running executable, with a trailing '/'.
std::string ExecutableFolder();

}  // namespace plat::os
