// Linked into the window tests on Windows.
#include <windows.h>

#include <cstdlib>

namespace {

// A test run by ctest under wine has no console, and Qt then hands QtTest's report and its own
// warnings to the debugger (OutputDebugString), where no log sees them. Wine passes no QT_
// variable on from the host, so the test sets it itself, before main and so before Qt asks.
const int kReportToStderr = _putenv("QT_FORCE_STDERR_LOGGING=1");

}  // namespace

namespace orvel::test {

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace orvel::test
