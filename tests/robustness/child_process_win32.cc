// Children as new runs of this program: its own path, a marker argument, the handle of
// the pipe to the parent, and the body with its arguments. The child writes "r" to the
// pipe when it is ready and, at its end, "m" and its peak working set in bytes (8 bytes,
// little-endian), since a parent cannot read the peak of a process that has gone under
// Wine. No header of src/platform here: windows.h has definitions of its own.
#ifdef _WIN32

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "child_process.h"

namespace {

constexpr char kMarker[] = "--robustness-child";
constexpr UINT kKilled = 0xE0000002;  // the exit status of a child ended by Kill
bool g_touchAllocations = false;
HANDLE g_pipe = INVALID_HANDLE_VALUE;  // in a child, the write end of its pipe

std::wstring Widen(const std::string& s) {
    std::wstring w(s.size(), L'\0');
    w.resize(::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(),
                                   static_cast<int>(w.size())));
    return w;
}

std::string Narrow(const wchar_t* w) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    return s;
}

// One argument as CommandLineToArgvW reads it back.
std::wstring Quoted(const std::string& arg) {
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : Widen(arg)) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? 2 * slashes + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(2 * slashes, L'\\');
    return out + L'"';
}

bool WriteAll(HANDLE h, const void* data, DWORD size) {
    DWORD done = 0;
    return ::WriteFile(h, data, size, &done, nullptr) && done == size;
}

robustness::RunningChild Start(const std::string& body, const robustness::ChildArgs& args,
                               bool touchAllocations) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inherited, 0)) return {};
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = Quoted(Narrow(self)) + L" " + Quoted(kMarker) + L" " +
                           std::to_wstring(reinterpret_cast<std::intptr_t>(write)) +
                           (touchAllocations ? L" touch " : L" plain ") + Quoted(body);
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
        return {};
    }
    ::CloseHandle(info.hThread);
    return {reinterpret_cast<std::intptr_t>(info.hProcess), reinterpret_cast<std::intptr_t>(read)};
}

// Waits for the child to end (ending it after timeoutMs), then reads what it left in the
// pipe.
robustness::ChildResult Finish(robustness::RunningChild& child, DWORD timeoutMs) {
    robustness::ChildResult result;
    const HANDLE process = reinterpret_cast<HANDLE>(child.process);
    const HANDLE pipe = reinterpret_cast<HANDLE>(child.ready);
    if (process == INVALID_HANDLE_VALUE) return result;
    if (::WaitForSingleObject(process, timeoutMs) == WAIT_TIMEOUT) {
        ::TerminateProcess(process, robustness::kTimedOut);
        ::WaitForSingleObject(process, INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    if (code >= 0xC0000000) result.endedBy = code;  // an exception status, or ended by us
    else result.exitCode = static_cast<int>(code);
    char message[9];
    DWORD n = 0;
    while (::ReadFile(pipe, message, 1, &n, nullptr) && n == 1) {
        if (message[0] != 'm' || !::ReadFile(pipe, message + 1, 8, &n, nullptr) || n != 8) continue;
        unsigned long long bytes = 0;
        for (int i = 8; i >= 1; --i) bytes = bytes << 8 | static_cast<unsigned char>(message[i]);
        result.maxRssKb = static_cast<long>(bytes / 1024);
    }
    ::CloseHandle(pipe);
    ::CloseHandle(process);
    child = {};
    return result;
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
    ChildResult refused;
    if (limits.fileSizeBytes || limits.uid) {
        std::fprintf(stderr, "a child on Windows has no file size limit and no other user\n");
        refused.exitCode = limits.fileSizeBytes ? 102 : 103;
        return refused;
    }
    RunningChild child = Start(body, args, limits.touchAllocations);
    return Finish(child, limits.timeoutSeconds * 1000);
}

RunningChild StartChild(const std::string& body, const ChildArgs& args) {
    return Start(body, args, false);
}

bool SignalReady() {
    return WriteAll(g_pipe, "r", 1);
}

bool WaitReady(const RunningChild& child) {
    char byte = 0;
    DWORD n = 0;
    return ::ReadFile(reinterpret_cast<HANDLE>(child.ready), &byte, 1, &n, nullptr) && n == 1 &&
           byte == 'r';
}

void Kill(const RunningChild& child) {
    // -1 would be this process's own pseudo-handle.
    if (child.process != -1) ::TerminateProcess(reinterpret_cast<HANDLE>(child.process), kKilled);
}

ChildResult Reap(RunningChild& child) {
    return Finish(child, INFINITE);
}

std::optional<int> RunChildIfAsked(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], kMarker) != 0) return std::nullopt;
    // The arguments again as UTF-16, for paths outside the ANSI code page.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide || count < 5) return 105;
    g_pipe = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(std::wcstoll(wide[2], nullptr, 10)));
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
        char message[9] = {'m'};
        unsigned long long bytes = counters.PeakWorkingSetSize;
        for (int i = 1; i <= 8; ++i, bytes >>= 8) message[i] = static_cast<char>(bytes & 0xFF);
        WriteAll(g_pipe, message, sizeof message);
    }
    std::fflush(nullptr);
    return code;
}

}  // namespace robustness

#endif
