// The Win32 calls behind the file layer on Windows, behind plain C++ types: windows.h
// defines its own DWORD, BOOL, RGBQUAD and friends, so only win32_file_api.cc sees it.
// Paths are UTF-8 here and UTF-16 at every Win32 call. Failures return false (or
// kInvalidHandle) with the Win32 error code in *pError.
#pragma once

#ifdef _WIN32

#include <cstdint>
#include <string>

namespace win32 {

using Handle = std::intptr_t;
constexpr Handle kInvalidHandle = -1;  // INVALID_HANDLE_VALUE

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

enum class Disposition { openExisting, openAlways, createNew };

// exclusive: share mode 0, so every other opener, in this or any program, is refused.
Handle OpenFile(const std::string& path, bool read, bool write, Disposition disposition,
                bool exclusive, unsigned long* pError);
bool IsDirectory(Handle h);
Handle DuplicateFile(Handle h, unsigned long* pError);
bool CloseFile(Handle h, unsigned long* pError);

// Reads up to count bytes; *pDone < count only at the end of the file.
bool ReadFile(Handle h, void* buffer, std::uint32_t count, std::uint32_t* pDone,
              unsigned long* pError);
// The same at position, leaving the file position where it was.
bool ReadFileAt(Handle h, std::uint64_t position, void* buffer, std::uint32_t count,
                std::uint32_t* pDone, unsigned long* pError);
bool WriteFile(Handle h, const void* buffer, std::uint32_t count, unsigned long* pError);
// whence: 0 begin, 1 current, 2 end.
bool SeekFile(Handle h, std::int64_t offset, int whence, std::uint64_t* pPosition,
              unsigned long* pError);
bool GetFileLength(Handle h, std::uint64_t* pLength, unsigned long* pError);
// Sets the end of the file, keeping the file position.
bool SetFileLength(Handle h, std::uint64_t length, unsigned long* pError);
bool FlushFile(Handle h, unsigned long* pError);

// Volume serial number and file index: what names one file on one volume.
bool FileIdentity(Handle h, std::uint64_t* pVolume, std::uint64_t* pIndex);
// The path of the file the handle is open on, links resolved, as a plain drive or UNC
// path (no \\?\ prefix).
bool FinalPath(Handle h, std::string* pPath);
// The same for a path, opening it only for its attributes and with every share mode,
// so it works on a file that is held exclusively.
bool FinalPathOf(const std::string& path, std::string* pPath, bool* pRegular,
                 std::uint64_t* pVolume, std::uint64_t* pIndex);

// The attributes that a new file should inherit from the one it replaces.
std::uint32_t InheritedAttributes(const std::string& path);
void SetInheritedAttributes(const std::string& path, std::uint32_t attributes);

bool MoveReplacing(const std::string& from, const std::string& to, unsigned long* pError);
bool RemovePath(const std::string& path);
void FlushFolder(const std::string& folder);
unsigned long CurrentProcessId();

// The errno value that means the same as a Win32 error, so messages and checks above
// this layer read alike on both systems.
int ErrnoFromError(unsigned long error);

}  // namespace win32

#endif
