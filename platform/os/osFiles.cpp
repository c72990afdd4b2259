#include "osFiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::os {
namespace {

bool Exists(const std::string& p)
{
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

constexpr std::string_view kTempInfix = ".tmp.";
constexpr size_t kTempUniqueLength = 6;  // the XXXXXX of mkstemp

std::function<void(const std::string&)>& SyncObserver()
{
    static std::function<void(const std::string&)> observer;
    return observer;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The name of an entry of `folder` that equals `name` without regard to case.
bool FindNoCase(const std::string& folder, std::string_view name, std::string& found)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    bool hit = false;
    while (dirent* e = ::readdir(dir)) {
        if (EqualNoCase(e->d_name, name)) {
            found = e->d_name;
            hit = true;
            break;
        }
    }
    ::closedir(dir);
    return hit;
}

}  // namespace

std::string NativePath(std::string_view path)
{
    std::string p(path);
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.empty() || Exists(p)) return p;

    // Walk component by component, correcting the case of each missing one.
    std::string out;
    size_t i = 0;
    if (p[0] == '/') {
        out = "/";
        i = 1;
    }
    bool resolving = true;
    while (i <= p.size()) {
        size_t j = p.find('/', i);
        if (j == std::string::npos) j = p.size();
        std::string_view part(p.data() + i, j - i);
        if (!part.empty()) {
            std::string candidate = out + std::string(part);
            if (resolving && !Exists(candidate)) {
                std::string found;
                if (part != "." && part != ".." && FindNoCase(out, part, found))
                    candidate = out + found;
                else
                    resolving = false;
            }
            out = candidate;
        }
        if (j < p.size()) out += '/';
        i = j + 1;
    }
    return out;
}

FileFacts Facts(std::string_view path)
{
    FileFacts f;
    struct stat st;
    std::string p = NativePath(path);
    if (p.empty() || ::stat(p.c_str(), &st) != 0) return f;
    f.exists = true;
    f.folder = S_ISDIR(st.st_mode);
    f.size = st.st_size;
    f.modified = st.st_mtime;
    return f;
}

bool ListFolder(std::string_view path, std::vector<FolderEntry>& out)
{
    out.clear();
    std::string p = NativePath(path);
    DIR* dir = ::opendir(p.empty() ? "." : p.c_str());
    if (!dir) return false;
    if (!p.empty() && p.back() != '/') p += '/';
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        FolderEntry entry;
        entry.name = name;
        entry.hidden = name[0] == '.';
        struct stat st;
        entry.folder = ::stat((p + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        out.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(), [](const FolderEntry& a, const FolderEntry& b) {
        int c = ::strcasecmp(a.name.c_str(), b.name.c_str());
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return true;
}

MakeFolderResult MakeFolder(std::string_view path)
{
    std::string p = NativePath(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (p.empty()) return MakeFolderResult::Failed;
    if (::mkdir(p.c_str(), 0755) == 0) return MakeFolderResult::Created;
    return errno == EEXIST ? MakeFolderResult::Exists : MakeFolderResult::Failed;
}

bool RemoveFile(std::string_view path)
{
    std::string p = NativePath(path);
    return !p.empty() && ::unlink(p.c_str()) == 0;
}

bool RenameFile(std::string_view from, std::string_view to)
{
    return ::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        (void)Close();  // as the destructor: a caller that must know closes first
        fd_ = other.Release();
    }
    return *this;
}

int FileHandle::Release()
{
    int fd = fd_;
    fd_ = -1;
    return fd;
}

bool FileHandle::Close()
{
    if (fd_ < 0) return true;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

int64_t FileHandle::Read(void* buffer, int64_t count)
{
    if (fd_ < 0 || count < 0) return -1;
    for (;;) {
        ssize_t n = ::read(fd_, buffer, static_cast<size_t>(std::min<int64_t>(count, INT_MAX)));
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

namespace {
std::atomic<int> writeFault{0};
}

void SetWriteFault(int error)
{
    writeFault = error;
}

int64_t FileHandle::Write(const void* buffer, int64_t count)
{
    if (fd_ < 0 || count < 0) return -1;
    if (int error = writeFault.load(); error != 0 && count > 0) {
        errno = error;
        return -1;
    }
    for (;;) {
        ssize_t n = ::write(fd_, buffer, static_cast<size_t>(std::min<int64_t>(count, INT_MAX)));
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool FileHandle::Sync()
{
    return fd_ >= 0 && ::fsync(fd_) == 0;
}

FileHandle OpenFile(std::string_view path, OpenMode mode)
{
    std::string p = NativePath(path);
    if (p.empty()) return FileHandle();
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::Read: flags |= O_RDONLY; break;
    case OpenMode::Write: flags |= O_WRONLY; break;
    case OpenMode::ReadWrite: flags |= O_RDWR; break;
    case OpenMode::CreateTruncate: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    }
    int fd = ::open(p.c_str(), flags, 0644);
    if (fd >= 0) {
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            return FileHandle();
        }
    }
    return FileHandle(fd);
}

FileHandle CreateTempBeside(std::string_view target, std::string& tempPath)
{
    std::string t = NativePath(target);
    std::string pattern = t + std::string(kTempInfix) + std::string(kTempUniqueLength, 'X');
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) {
        tempPath.clear();
        return FileHandle();
    }
    ::fchmod(fd, 0644);
    tempPath.assign(buf.data());
    return FileHandle(fd);
}

bool SyncFolder(std::string_view folder)
{
    std::string p = NativePath(folder);
    if (p.empty()) p = ".";
    int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    if (SyncObserver()) SyncObserver()(p);
    return ok;
}

void SetFolderSyncObserver(std::function<void(const std::string& folder)> observer)
{
    SyncObserver() = std::move(observer);
}

bool CommitTempFile(std::string_view tempPath, std::string_view target)
{
    std::string to = NativePath(target);
    if (::rename(NativePath(tempPath).c_str(), to.c_str()) != 0) return false;
    // The rename is done either way; a folder that cannot be synced (some
    // file systems refuse) leaves the new file in place, not yet flushed.
    size_t slash = to.rfind('/');
    (void)SyncFolder(slash == std::string::npos ? std::string(".") : to.substr(0, slash + 1));
    return true;
}

bool IsTemporaryFileName(std::string_view name)
{
    if (name.size() <= kTempInfix.size() + kTempUniqueLength) return false;
    size_t unique = name.size() - kTempUniqueLength;
    if (name.substr(unique - kTempInfix.size(), kTempInfix.size()) != kTempInfix) return false;
    for (char c : name.substr(unique))
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

namespace {
// Stale temporaries in the folder; with a target name, only its own.
int32_t RemoveStaleTemporaries(std::string p, std::string_view target, int64_t minAgeSeconds)
{
    if (p.empty()) return 0;
    if (p.back() != '/') p += '/';
    DIR* dir = ::opendir(p.c_str());
    if (!dir) return 0;
    std::vector<std::string> stale;
    std::time_t now = std::time(nullptr);
    while (dirent* e = ::readdir(dir)) {
        std::string_view name = e->d_name;
        if (!IsTemporaryFileName(name)) continue;
        if (!target.empty() && name.substr(0, name.size() - kTempInfix.size() - kTempUniqueLength) != target) continue;
        struct stat st;
        // Regular files only: a link or a folder of that name is not ours.
        if (::lstat((p + e->d_name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (int64_t(now) - int64_t(st.st_mtime) >= minAgeSeconds) stale.push_back(p + e->d_name);
    }
    ::closedir(dir);
    int32_t removed = 0;
    for (const std::string& file : stale) removed += ::unlink(file.c_str()) == 0 ? 1 : 0;
    return removed;
}
}  // namespace

int32_t RemoveStaleTemporaryFiles(std::string_view folder, int64_t minAgeSeconds)
{
    return RemoveStaleTemporaries(NativePath(folder), {}, minAgeSeconds);
}

int32_t RemoveStaleTemporaryFilesOf(std::string_view target, int64_t minAgeSeconds)
{
    std::string t = NativePath(target);
    size_t slash = t.rfind('/');
    std::string name = slash == std::string::npos ? t : t.substr(slash + 1);
    if (name.empty()) return 0;
    return RemoveStaleTemporaries(slash == std::string::npos ? std::string(".") : t.substr(0, slash + 1), name,
                                  minAgeSeconds);
}

std::string ExecutableFolder()
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string p(buf, static_cast<size_t>(n));
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? "./" : p.substr(0, slash + 1);
}

}  // namespace plat::os
