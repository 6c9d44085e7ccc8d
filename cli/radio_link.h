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

#include "byte_trace.h"
#include "exchanges.h"
#include "serial_port.h"
#include "virtual_radio.h"

namespace orvel::cli {

struct Context {
    Context(std::ostream& output, std::ostream& errors) : out(output), err(errors) {}

    std::ostream& out;
    std::ostream& err;
    std::string lastError;  // the message of the last Fail, without the program's name
};

std::string Hex(std::initializer_list<std::uint8_t> bytes);

// "orvelctl: MESSAGE" on the error stream; returns `code`.
int Fail(Context& c, int code, const std::string& message);

// Log text as the window shows it, one line per line, without the carriage returns.
void LogLines(std::ostream& err, std::string_view text);
ExchangeHooks LogHooks(std::ostream& err);

// Members in this order so that closing the port still reaches the trace, and the radio
// outlives both.
struct Link {
    std::unique_ptr<sim::VirtualRadio> radio;
    ByteTrace trace;
    SerialPort port;
    std::string name;
};

// --port, or --simulate, and --trace, as the command line gives them.
int OpenLink(const QCommandLineParser& parser, Link& link, Context& c);
int OpenTrace(const std::string& path, Link& link, Context& c);
// A port as the user names it (a path, COMn or a number).
int OpenPort(const std::string& port, Link& link, Context& c);

std::string ReadFailure(const ReadOutcome& outcome);

// Keeps the safety copy, writes, and with `verify` reads the radio back and compares. The
// exit code; a failure's message is in c.lastError.
int WriteToRadio(Link& link, const MemoryImage& image, const WriteRequest& request, bool verify,
                 Context& c);

}  // namespace orvel::cli
