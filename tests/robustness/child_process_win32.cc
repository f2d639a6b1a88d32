// Children as new runs of this program: its own path, a marker argument, the handle of
// the pipe to the parent, and the body with its arguments. At its end the child writes its
// peak working set in bytes to the pipe (8 bytes, as this same program reads them back),
// since a parent cannot read the peak of a process that has gone under Wine. No header of
// src/platform here: windows.h has definitions of its own.
#ifdef _WIN32

// The other two need windows.h first.
// clang-format off
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
// clang-format on

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

#include "child_process.h"

namespace {

constexpr char kMarker[] = "--robustness-child";
bool g_touchAllocations = false;
HANDLE g_pipe = INVALID_HANDLE_VALUE;  // in a child, the write end of its pipe

std::string Narrow(const wchar_t* w) {
    return std::filesystem::path(w).u8string();
}

// One argument as CommandLineToArgvW reads it back, when it holds no quote and does not
// end in a backslash (no argument here does).
std::wstring Quoted(const std::string& arg) {
    return L"\"" + std::filesystem::u8path(arg).wstring() + L"\"";
}

}  // namespace

// Every allocation of the program goes through here; in a child that touches its
// allocations each one is filled, so that the working set counts what was asked for.
void* operator new(std::size_t size) {
    for (;;) {
        if (void* p = std::malloc(size ? size : 1)) {
            if (g_touchAllocations) std::memset(p, 0x5A, size);
            return p;
        }
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

namespace robustness {

ChildResult RunInChild(const std::string& body, const ChildArgs& args, const ChildLimits& limits) {
    ChildResult result;
    if (limits.fileSizeBytes || limits.uid) {
        std::fprintf(stderr, "a child on Windows has no file size limit and no other user\n");
        result.exitCode = limits.fileSizeBytes ? 102 : 103;
        return result;
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inherited, 0)) return result;
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = Quoted(Narrow(self)) + L" " + Quoted(kMarker) + L" " +
                           std::to_wstring(reinterpret_cast<std::intptr_t>(write)) +
                           (limits.touchAllocations ? L" touch " : L" plain ") + Quoted(body);
    for (const std::string& a : args) command += L" " + Quoted(a);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::fflush(nullptr);
    const BOOL started = ::CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          nullptr, &startup, &info);
    ::CloseHandle(write);  // the pipe ends when the child's copy does
    if (!started) {
        std::fprintf(stderr, "cannot start a child: error %lu\n", ::GetLastError());
        ::CloseHandle(read);
        return result;
    }
    ::CloseHandle(info.hThread);
    if (::WaitForSingleObject(info.hProcess, limits.timeoutSeconds * 1000) == WAIT_TIMEOUT) {
        ::TerminateProcess(info.hProcess, kTimedOut);
        ::WaitForSingleObject(info.hProcess, INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    result.exitCode = code < 0xC0000000 ? static_cast<int>(code) : -1;
    result.endedBy = code < 0xC0000000 ? 0 : code;  // an exception status, or ended by us
    unsigned long long peak = 0;
    DWORD n = 0;
    if (::ReadFile(read, &peak, 8, &n, nullptr) && n == 8)
        result.maxRssKb = static_cast<long>(peak / 1024);
    ::CloseHandle(read);
    ::CloseHandle(info.hProcess);
    return result;
}

void EndAbruptly(int code) {
    // Not ExitProcess: it runs the libraries' clean-up, which may wait on a lock the
    // saving thread holds.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(code));
    std::abort();
}

std::optional<int> RunChildIfAsked(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], kMarker) != 0) return std::nullopt;
    // The arguments again as UTF-16, for paths outside the ANSI code page.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide || count < 5) return 105;
    g_pipe =
        reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(std::wcstoll(wide[2], nullptr, 10)));
    g_touchAllocations = std::wcscmp(wide[3], L"touch") == 0;
    const std::string body = Narrow(wide[4]);
    ChildArgs args;
    for (int i = 5; i < count; ++i) args.push_back(Narrow(wide[i]));
    ::LocalFree(wide);

    const int code = RunBody(body, args);
    g_touchAllocations = false;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        const unsigned long long peak = counters.PeakWorkingSetSize;
        DWORD done = 0;
        ::WriteFile(g_pipe, &peak, 8, &done, nullptr);
    }
    std::fflush(nullptr);
    return code;
}

}  // namespace robustness

#endif
