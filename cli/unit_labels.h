// The unit labels of a write: one given, asked for each radio on stdin (where a barcode
// scanner types like a keyboard), or taken in order from a file.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <ostream>
#include <string>
#include <vector>

namespace orvel::cli {

// Why `label` cannot name a unit (empty, too long, a control character, the word ask that
// --unit takes to ask for one), or empty.
std::string UnitLabelFault(const std::string& label);

class UnitLabels {
public:
    enum class Source { None, Given, Ask, List };

    // --unit LABEL|ask and --unit-list FILE; the text of a usage or file error, or empty.
    std::string Read(const QCommandLineParser& parser);

    Source source() const { return source_; }
    // The label of the next radio into `label` (empty for none); false when there is no
    // next one: the list is used up, stdin ended, or a stop was asked for while waiting.
    bool Next(std::string& label, const std::string& port, int number, std::ostream& err);
    // True once a list has given its last label: the line ends with the radio that took it.
    bool UsedUp() const { return source_ == Source::List && next_ >= list_.size(); }
    // The labels of a --unit-list, in order.
    const std::vector<std::string>& List() const { return list_; }

private:
    Source source_ = Source::None;
    std::string given_;
    std::vector<std::string> list_;
    std::size_t next_ = 0;
};

}  // namespace orvel::cli
