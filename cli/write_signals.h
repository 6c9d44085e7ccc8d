// Signals while radios are written. A radio left with part of its words is worse than a late
// exit, so the first SIGINT, SIGTERM or SIGHUP (a closed terminal or ssh session) only asks the
// write in progress to end when its radio is done; a second SIGINT stops at the next frame.
#pragma once

namespace orvel::cli {

class WriteSignals {
public:
    // Takes over SIGINT, SIGTERM and SIGHUP until destroyed; nests with nothing.
    WriteSignals();
    ~WriteSignals();
    WriteSignals(const WriteSignals&) = delete;
    WriteSignals& operator=(const WriteSignals&) = delete;

    // The first signal that came, 0 while none did.
    static int Received();
    // True once a SIGINT followed an earlier signal.
    static bool StopNow();
    // 128 + the signal once one came (130, 143, 129), else `code`.
    static int ExitCode(int code);
};

// A print to a closed pipe or terminal fails quietly instead of ending the program.
void IgnoreBrokenPipes();
// A file that reaches the size limit of the run (ulimit -f) fails to grow instead of ending the
// program: its write reports "File too large" as a full disk does, and a radio in progress is
// still finished.
void IgnoreFileSizeLimit();

}  // namespace orvel::cli
