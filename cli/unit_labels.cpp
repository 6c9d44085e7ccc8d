#include "unit_labels.h"

#include <chrono>
#include <iostream>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <poll.h>
#include <unistd.h>
#endif

#include "channel_file.h"
#include "commands.h"
#include "echo_text.h"
#include "write_signals.h"

namespace orvel::cli {
namespace {

constexpr int kStopCheckMs = 50;

// One line of stdin without its end, or false at its end or on a stop.
bool ReadLine(std::string& line) {
    line.clear();
#ifndef _WIN32
    for (;;) {
        if (WriteSignals::Received() != 0)
            return false;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, kStopCheckMs);
        if (ready <= 0)
            continue;
        char c = 0;
        const auto got = ::read(STDIN_FILENO, &c, 1);
        if (got <= 0)
            return !line.empty();
        if (c == '\n')
            break;
        line += c;
    }
#else
    if (!std::getline(std::cin, line))
        return false;
#endif
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

}  // namespace

std::string UnitLabelFault(const std::string& label) {
    if (label.empty())
        return "is empty";
    if (label == "ask")
        return "is ask, which --unit takes to ask for the label";
    return LabelFaultText(label);
}

std::string UnitLabels::Read(const QCommandLineParser& parser) {
    // optionNames() holds the options given; isSet would complain of one the command lacks.
    const bool unit = parser.optionNames().contains(QStringLiteral("unit"));
    const bool list = parser.optionNames().contains(QStringLiteral("unit-list"));
    if (unit && list)
        return "give --unit or --unit-list, not both";
    if (unit) {
        given_ = parser.value(QStringLiteral("unit")).toStdString();
        source_ = given_ == "ask" ? Source::Ask : Source::Given;
        if (given_.empty())
            return "--unit takes a label, or ask";
        if (const std::string fault = LabelFaultText(given_); !fault.empty())
            return "--unit " + fault;
        return {};
    }
    if (!list)
        return {};
    source_ = Source::List;
    const std::string path = PathArgument(parser.value(QStringLiteral("unit-list")));
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, bytes, error))
        return "--unit-list " + path + ": " + error;
    std::string line;
    auto take = [&] {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // A blank line is a gap in the list, not a unit.
        if (!line.empty())
            list_.push_back(line);
        line.clear();
    };
    for (const std::uint8_t byte : bytes) {
        if (byte == '\n')
            take();
        else
            line += static_cast<char>(byte);
    }
    take();
    for (const std::string& label : list_) {
        if (const std::string fault = LabelFaultText(label); !fault.empty())
            return "--unit-list " + path + ": a label " + fault;
    }
    if (list_.empty())
        return "--unit-list " + path + ": no labels in it";
    return {};
}

bool UnitLabels::Next(std::string& label, const std::string& port, int number, std::ostream& err) {
    label.clear();
    switch (source_) {
        case Source::None:
            return true;
        case Source::Given:
            label = given_;
            return true;
        case Source::List:
            if (next_ >= list_.size()) {
                err << "orvelctl: " << EchoMessage(port) << ": the unit list is used up\n"
                    << std::flush;
                return false;
            }
            label = list_[next_++];
            return true;
        case Source::Ask:
            break;
    }
    for (;;) {
        err << "orvelctl: " << EchoMessage(port) << ": unit label of radio " << number
            << "? (scan or type it, then Enter)\n"
            << std::flush;
        if (!ReadLine(label))
            return false;
        if (const std::string fault = LabelFaultText(label); !fault.empty()) {
            err << "orvelctl: the label " << fault << "\n" << std::flush;
        } else if (!label.empty()) {
            return true;
        }
    }
}

}  // namespace orvel::cli
