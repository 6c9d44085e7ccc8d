// What every command that talks to a radio shares: the two output streams, the link with its
// trace, and the write with its optional verify. A write to one port and a write to many run
// the same code.
#pragma once

#include <QCommandLineParser>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "command_support.h"
#include "exchanges.h"
#include "programming_record.h"
#include "serial_port.h"

namespace orvel::cli {

// A failed exchange on a port whose device went away says so instead of what went missing.
int LinkFail(Context& c, const Link& link, const std::string& what);

// --classic-timing, or ClassicTiming=1 in the INI the command reads.
bool ClassicTimingWanted(const QCommandLineParser& parser);
// --port, or --simulate, and --trace, as the command line gives them.
int OpenLink(const QCommandLineParser& parser, Link& link, Context& c);
int OpenTrace(const std::string& path, Link& link, Context& c);
// A port as the user names it (a path, COMn, a number or a network port's URL).
int OpenPort(const std::string& port, Link& link, Context& c);

struct WriteSteps {
    bool verify = false;     // read the radio back and compare
    bool readFirst = false;  // read the radio before the write: the record's before image
};

// Keeps the safety copy, writes, and with `verify` reads the radio back and compares. The
// exit code; a failure's message is in c.lastError. `record` gets what the write learned: the
// radio's identification, the images read, the hash of the image written.
int WriteToRadio(Link& link, const MemoryImage& image, const WriteRequest& request,
                 const WriteSteps& steps, Context& c, ProgrammingRecord& record);

// Reads the radio on the cable to learn whether it already holds what `request` writes: the
// records alone are no proof, another tool may have written it since. `read`, a read record,
// gets the radio's identification and image, kept among the safety copies as a write's
// before image. The exit code of a failed read, else -1.
int ReadHolding(Link& link, const WriteRequest& request, Context& c, ProgrammingRecord& read,
                bool& holds);

}  // namespace orvel::cli
