#include "qz7files.h"

#include "osDesktop.h"

#include <cctype>
#include <ctime>

namespace os = plat::os;

namespace {
bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}
}  // namespace

std::string ProgramFolder()
{
    return os::ExecutableFolder();
}

std::string AppDataFolder(int32_t* result)
{
    std::string folder = os::UserDataHome();
    if (result) *result = folder.empty() ? ErrorResult(QZRES_FAILED) : QZRES_OK;
    return folder;
}

std::string AddTrailingBackslash(const std::string& path)
{
    if (!path.empty() && IsSeparator(path.back())) return path;
    return path + '/';
}

std::string ShownPath(const std::string& path)
{
    std::string shown = path;
    for (char& c : shown)
        if (c == '\\') c = '/';
    return shown;
}

int32_t CreateFolder(const std::string& path)
{
    switch (os::MakeFolder(path)) {
    case os::MakeFolderResult::Created: return QZRES_OK;
    case os::MakeFolderResult::Exists: return ErrorResult(QZRES_FOLDER_EXISTS);
    default: return ErrorResult(QZRES_FAILED);
    }
}

bool IsFolder(const std::string& path)
{
    os::FileFacts f = os::Facts(path);
    return f.exists && f.folder;
}

bool IsFile(const std::string& path)
{
    os::FileFacts f = os::Facts(path);
    return f.exists && !f.folder;
}

int32_t RemoveFile(const std::string& path)
{
    if (!IsFile(path)) return ErrorResult(QZRES_NOFILE);
    return os::RemoveFile(path) ? QZRES_OK : ErrorResult(QZRES_FAILED);
}

int32_t FileDate(const std::string& path)
{
    os::FileFacts f = os::Facts(path);
    if (!f.exists) return -1;
    std::tm t{};
    localtime_r(&f.modified, &t);
    int year = t.tm_year + 1900 - 1980;
    if (year < 0) year = 0;
    if (year > 127) year = 127;
    uint32_t packed = (uint32_t(year) << 25) | (uint32_t(t.tm_mon + 1) << 21) | (uint32_t(t.tm_mday) << 16) |
                      (uint32_t(t.tm_hour) << 11) | (uint32_t(t.tm_min) << 5) | uint32_t(t.tm_sec / 2);
    return static_cast<int32_t>(packed);
}

int64_t FileSizeOf(const std::string& path, int32_t* result)
{
    if (result) *result = QZRES_OK;
    os::FileFacts f = os::Facts(path);
    if (!f.exists || f.folder) return 0;
    TQZFileHandle h = os::OpenFile(path, os::OpenMode::Read);
    if (!h.Valid()) {
        if (result) *result = ErrorResult(QZRES_FILE_SIZE);
        return 0;
    }
    return f.size;
}

std::string FolderOf(const std::string& path)
{
    size_t i = path.find_last_of("\\/");
    return i == std::string::npos ? std::string() : path.substr(0, i + 1);
}

std::string FileNameOf(const std::string& path)
{
    size_t i = path.find_last_of("\\/");
    return i == std::string::npos ? path : path.substr(i + 1);
}

std::string FileExtOf(const std::string& name)
{
    size_t i = name.rfind('.');
    if (i == std::string::npos) return std::string();
    std::string ext = name.substr(i + 1);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

bool MatchesMask(const std::string& name, const std::string& mask)
{
    // "*.*" matches every name, with or without a dot, as on Windows.
    if (mask == "*.*" || mask == "*" || mask.empty()) return true;
    size_t n = 0, m = 0, starM = std::string::npos, starN = 0;
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || lower(mask[m]) == lower(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

std::vector<std::string> ListFiles(const std::string& folderMask, bool files, bool folders, bool hidden)
{
    std::vector<std::string> out;
    std::string fm = folderMask;
    if (fm.empty() || IsSeparator(fm.back())) fm += "*.*";
    std::string folder = FolderOf(fm);
    std::string mask = FileNameOf(fm);
    std::vector<os::FolderEntry> entries;
    if (!os::ListFolder(folder.empty() ? "." : folder, entries)) return out;
    for (const auto& e : entries) {
        if (e.hidden && !hidden) continue;
        if (e.folder ? !folders : !files) continue;
        if (!MatchesMask(e.name, mask)) continue;
        out.push_back(e.folder ? e.name + '/' : e.name);
    }
    return out;
}

std::vector<std::string> ListFilesByMasks(const std::string& folder, const std::vector<std::string>& masks,
                                          bool files, bool folders, bool hidden)
{
    std::vector<std::string> out;
    std::string base = AddTrailingBackslash(folder);
    for (const auto& m : masks) {
        auto part = ListFiles(base + m, files, folders, hidden);
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

int32_t CreateFileHandle(const std::string& path, TQZFileHandle& handle)
{
    (void)handle.Close();  // a handle being reused: what it held is given up
    if (path.empty()) return ErrorResult(QZRES_BADARG);
    handle = os::OpenFile(path, os::OpenMode::CreateTruncate);
    return handle.Valid() ? QZRES_OK : ErrorResult(QZRES_FILE_WRITE);
}

int32_t OpenFileHandle(const std::string& path, bool read, bool write, TQZFileHandle& handle)
{
    (void)handle.Close();  // a handle being reused: what it held is given up
    if (path.empty() || (!read && !write)) return ErrorResult(QZRES_BADARG);
    if (!IsFile(path)) return ErrorResult(QZRES_NOFILE);
    os::OpenMode mode = read && write ? os::OpenMode::ReadWrite : (read ? os::OpenMode::Read : os::OpenMode::Write);
    handle = os::OpenFile(path, mode);
    return handle.Valid() ? QZRES_OK : ErrorResult(QZRES_FILE_OPEN);
}

int32_t ReadFileHandle(TQZFileHandle& handle, void* buffer, int64_t count)
{
    if (!handle.Valid() || count <= 0 || !buffer) return ErrorResult(QZRES_BADARG);
    auto* p = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    bool first = true;
    while (done < count) {
        int64_t n = handle.Read(p + done, count - done);
        if (n < 0) return ErrorResult(first ? QZRES_FILE_FIRSTREAD : QZRES_FILE_READ);
        if (n == 0) return ErrorResult(QZRES_FILE_READ);
        done += n;
        first = false;
    }
    return QZRES_OK;
}

int32_t WriteFileHandle(TQZFileHandle& handle, const void* buffer, int64_t count)
{
    if (!handle.Valid() || count <= 0 || !buffer) return ErrorResult(QZRES_BADARG);
    auto* p = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        int64_t n = handle.Write(p + done, count - done);
        if (n <= 0) return ErrorResult(QZRES_FILE_WRITE);
        done += n;
    }
    return QZRES_OK;
}

int32_t CloseFileHandle(TQZFileHandle& handle)
{
    return handle.Close() ? QZRES_OK : ErrorResult(QZRES_FILE_WRITE);
}

std::string ReadTextFile(const std::string& path)
{
    TQZFileHandle h;
    if (OpenFileHandle(path, true, false, h) != QZRES_OK) return std::string();
    std::string raw;
    char buf[65536];
    for (;;) {
        int64_t n = h.Read(buf, sizeof buf);
        if (n <= 0) break;
        raw.append(buf, static_cast<size_t>(n));
    }
    // Lines joined with CR LF whatever the file used.
    std::string out;
    out.reserve(raw.size() + raw.size() / 32);
    for (size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

int32_t WriteFileAtomic(const std::string& path, const void* data, int64_t size)
{
    if (path.empty() || size < 0 || (size > 0 && !data)) return ErrorResult(QZRES_BADARG);
    std::string temp;
    TQZFileHandle h = os::CreateTempBeside(path, temp);
    if (!h.Valid()) return ErrorResult(QZRES_FILE_WRITE);
    bool ok = size == 0 || WriteFileHandle(h, data, size) == QZRES_OK;
    ok = ok && h.Sync();
    ok = h.Close() && ok;
    ok = ok && os::CommitTempFile(temp, path);
    if (!ok) {
        (void)os::RemoveFile(temp);  // the failure is reported; a leftover temp file is swept at start-up
        return ErrorResult(QZRES_FILE_WRITE);
    }
    return QZRES_OK;
}

int32_t RemoveStaleTemporariesOf(const std::string& path)
{
    return os::RemoveStaleTemporaryFilesOf(path);
}

int32_t WriteTextFile(const std::string& path, const std::string& text)
{
    return WriteFileAtomic(path, text.data(), static_cast<int64_t>(text.size()));
}
