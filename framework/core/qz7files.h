// Paths, folders, listings, file facts, raw handle input and output, and
// whole text files. Paths may be written Windows-style: backslashes and any
// letter case are accepted (see plat::os::NativePath).
#pragma once

#include "qz7core.h"
#include "osFiles.h"

#include <string>
#include <vector>

using TQZFileHandle = plat::os::FileHandle;

std::string ProgramFolder();
// The user's data folder with a trailing separator; empty and result 1 when
// it cannot be found.
std::string AppDataFolder(int32_t* result = nullptr);
std::string AddTrailingBackslash(const std::string& path);
// The path as this platform writes it, for what a person reads (messages):
// Windows-style separators become '/'.
std::string ShownPath(const std::string& path);

[[nodiscard]] int32_t CreateFolder(const std::string& path);
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);
[[nodiscard]] int32_t RemoveFile(const std::string& path);
// Last-write time as a packed DOS date-time (local time); -1 when missing.
int32_t FileDate(const std::string& path);
int64_t FileSizeOf(const std::string& path, int32_t* result = nullptr);
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);
std::string FileExtOf(const std::string& name);

// Names in the folder matching the mask ("*" and "?", without case; a mask
// ending in a separator lists everything). Folders carry a trailing '/'.
std::vector<std::string> ListFiles(const std::string& folderMask, bool files, bool folders, bool hidden);
std::vector<std::string> ListFilesByMasks(const std::string& folder, const std::vector<std::string>& masks,
                                          bool files, bool folders, bool hidden);
bool MatchesMask(const std::string& name, const std::string& mask);

[[nodiscard]] int32_t CreateFileHandle(const std::string& path, TQZFileHandle& handle);
[[nodiscard]] int32_t OpenFileHandle(const std::string& path, bool read, bool write, TQZFileHandle& handle);
[[nodiscard]] int32_t ReadFileHandle(TQZFileHandle& handle, void* buffer, int64_t count);
[[nodiscard]] int32_t WriteFileHandle(TQZFileHandle& handle, const void* buffer, int64_t count);
[[nodiscard]] int32_t CloseFileHandle(TQZFileHandle& handle);

std::string ReadTextFile(const std::string& path);
// Replaces the file only once the new text is completely written: the text
// goes to a temporary file beside it that is then renamed over it. 0, or
// 0x6003 with the old file untouched.
[[nodiscard]] int32_t WriteTextFile(const std::string& path, const std::string& text);
[[nodiscard]] int32_t WriteFileAtomic(const std::string& path, const void* data, int64_t size);
// Removes the temporary files a write of this file cut short by a crash left
// beside it, once untouched for a minute (younger ones may be another
// program's write in progress). The number removed.
int32_t RemoveStaleTemporariesOf(const std::string& path);
