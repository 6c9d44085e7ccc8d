// orvelctl edit: whole channels moved about in a file, as the window's 编辑 menu moves them.
#include "command_list.h"

#include <string>
#include <vector>

#include "cell_rules.h"
#include "channel_rows.h"
#include "radio_fields.h"

namespace orvel::cli {
namespace {

// "N" or "N-M" with 1 <= N <= M <= 16, as 0-based rows.
bool ParseChannels(const QString& text, std::vector<int>& rows) {
    const QStringList ends = text.split(QLatin1Char('-'));
    if (ends.size() > 2)
        return false;
    bool firstOk = false;
    bool lastOk = false;
    const int first = ends.front().toInt(&firstOk);
    const int last = ends.back().toInt(&lastOk);
    if (!firstOk || !lastOk || first < 1 || last > kChannelCount || first > last)
        return false;
    rows.clear();
    for (int n = first; n <= last; ++n)
        rows.push_back(n - 1);
    return true;
}

// The column a --sort value names: a CSV and JSON column other than the channel.
bool ParseColumn(const QString& text, Column& column) {
    for (const ChannelField& field : kChannelFields) {
        if (field.column != kColLabel &&
            text == QLatin1String(field.key.data(), static_cast<qsizetype>(field.key.size()))) {
            column = field.column;
            return true;
        }
    }
    return false;
}

// "rx, tx, ... or squelch": the columns --sort takes.
std::string SortColumns() {
    std::string text;
    for (const ChannelField& field : kChannelFields) {
        if (field.column == kColLabel)
            continue;
        if (!text.empty())
            text += field.column + 1 == kTableColumns ? " or " : ", ";
        text += field.key;
    }
    return text;
}

}  // namespace

int RunEdit(const QStringList& arguments, Context& c) {
    const CommandInfo info{
        "usage: orvelctl edit FILE (--move FROM:TO | --insert N | --delete N[-M]\n"
        "                     | --sort COLUMN [--descending]) [--config INI] [--no-safety-copy]\n",
        "Moves whole channels about in FILE (.dat, .json or .csv), as the window's edit menu\n"
        "does, and writes FILE back; its settings, header and spare bytes stay as they are.\n"
        "One operation per run; channels are numbered 1 to 16.\n\n"
        "  --move FROM:TO  channel FROM (or channels N-M) to position TO, the channels\n"
        "                  between closing up; channels N-M must fit from TO to 16\n"
        "  --insert N      an empty channel at N (or before each of N-M), the channels below\n"
        "                  moving down; refused (exit 3, FILE unchanged) when a channel that\n"
        "                  would fall off the end is not empty\n"
        "  --delete N[-M]  channels N to M taken out, the rest moving up, empty channels\n"
        "                  filling the end\n"
        "  --sort COLUMN   channels by rx, tx, power, rate, dataVoice or squelch (the CSV\n"
        "                  and JSON column names), ascending, empty cells last\n"
        "  --descending    with --sort: the other way round (the highest first), empty\n"
        "                  cells still last\n"
        "  --no-safety-copy  replace FILE even when its copy cannot be kept among the\n"
        "                  safety copies (without it, FILE then stays as it is)\n\n" +
            std::string(kConfigHelp),
        {ValueOption("move", "FROM:TO"), ValueOption("insert", "N"), ValueOption("delete", "N[-M]"),
         ValueOption("sort", "COLUMN"), FlagOption("descending"), ValueOption("config", "INI"),
         FlagOption("no-safety-copy")},
        1,
        "one FILE"};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    const std::string path = PathArgument(parser.positionalArguments().front());
    if (KindOf(path) == FileKind::Unknown)
        return UsageError(c, info, "'" + path + "' is not a .dat, .json or .csv file");
    int operations = 0;
    for (const char* name : {"move", "insert", "delete", "sort"})
        operations += parser.isSet(QString::fromLatin1(name)) ? 1 : 0;
    if (operations != 1)
        return UsageError(c, info, "give one of --move, --insert, --delete and --sort");
    const bool descending = parser.isSet(QStringLiteral("descending"));
    if (descending && !parser.isSet(QStringLiteral("sort")))
        return UsageError(c, info, "--descending goes with --sort");

    std::vector<int> rows;
    int to = 0;
    Column column = kColRx;
    if (parser.isSet(QStringLiteral("move"))) {
        const QStringList parts = parser.value(QStringLiteral("move")).split(QLatin1Char(':'));
        bool toOk = false;
        if (parts.size() == 2)
            to = parts[1].toInt(&toOk);
        if (!toOk || to < 1 || to > kChannelCount || !ParseChannels(parts[0], rows))
            return UsageError(c, info, "--move takes FROM:TO, channels 1 to 16 (e.g. 3:7)");
        // The window slides a block that would run off the end back up; a script that named
        // the place must not find the channels somewhere else.
        if (const int last = LastMoveStart(rows) + 1; to > last) {
            return UsageError(c, info,
                              "channels " + std::to_string(rows.front() + 1) + "-" +
                                  std::to_string(rows.back() + 1) + " cannot start at " +
                                  std::to_string(to) + ": the block would run past channel " +
                                  std::to_string(kChannelCount) + " (it can start at " +
                                  std::to_string(last) + " at the latest)");
        }
    } else if (parser.isSet(QStringLiteral("insert"))) {
        if (!ParseChannels(parser.value(QStringLiteral("insert")), rows))
            return UsageError(c, info, "--insert takes a channel 1 to 16, or N-M");
    } else if (parser.isSet(QStringLiteral("delete"))) {
        if (!ParseChannels(parser.value(QStringLiteral("delete")), rows))
            return UsageError(c, info, "--delete takes a channel 1 to 16, or N-M");
    } else if (!ParseColumn(parser.value(QStringLiteral("sort")), column)) {
        return UsageError(c, info, "--sort takes " + SortColumns());
    }

    Configuration config;
    if (int code = LoadConfig(parser, config, c); code >= 0)
        return code;
    const FrequencyLimits limits = Limits(config);
    MemoryImage image{};
    if (int code = LoadImageFile(path, limits, image, c, config.limitsFault); code >= 0)
        return code;
    const ChannelTable table = DecodeAsShown(image, DecodeSource::FromFile, limits).table;

    RowOrder order = UnchangedOrder();
    if (parser.isSet(QStringLiteral("move"))) {
        order = MoveToOrder(rows, to - 1);
    } else if (parser.isSet(QStringLiteral("insert"))) {
        if (const int blocker = InsertBlocker(table, rows); blocker > 0) {
            return Fail(c, kExitData,
                        path + ": channel " + std::to_string(blocker) +
                            " is not empty, so no empty channel can be inserted; the file is "
                            "unchanged");
        }
        order = InsertEmptyOrder(rows);
    } else if (parser.isSet(QStringLiteral("delete"))) {
        order = DeleteOrder(rows);
    } else {
        order = SortOrder(table, column,
                          descending ? SortDirection::Descending : SortDirection::Ascending);
    }
    // Nothing moved: the file is left alone, not rewritten.
    if (Rearranged(table, order) == table)
        return kExitOk;
    RearrangeRecords(image, order);
    const bool safetyCopy = !parser.isSet(QStringLiteral("no-safety-copy"));
    if (int code = WriteImageFile(path, image, limits, safetyCopy, c); code >= 0)
        return code;
    return kExitOk;
}

}  // namespace orvel::cli
