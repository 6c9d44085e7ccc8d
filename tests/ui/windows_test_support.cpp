// Linked into the window tests on Windows.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

// A test run by ctest under wine has no console, and Qt then hands QtTest's report and its own
// warnings to the debugger (OutputDebugString), where no log sees them. Wine passes no QT_
// variable on from the host, so the test sets it itself, before main and so before Qt asks.
const int kReportToStderr = _putenv("QT_FORCE_STDERR_LOGGING=1");

// Wine's loader faulted in fixup_imports when a window test loaded Qt's SQLite driver late, on
// its first programming record; loaded before Qt starts it loads cleanly. The program itself
// never showed this, so only the tests take the driver early.
HMODULE PreloadSqlDriver() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return LoadLibraryW((folder + L"sqldrivers\\qsqlite.dll").c_str());
}
const HMODULE kSqlDriver = PreloadSqlDriver();

}  // namespace

namespace orvel::test {

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace orvel::test
