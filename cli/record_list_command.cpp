// orvelctl record list and record export: the records a filter picks, newest first.
#include <QFileInfo>

#include "file_access.h"
#include "record_commands.h"
#include "record_view.h"
#include "transfer.h"

namespace orvel::cli {
namespace {

std::vector<QCommandLineOption> FilterOptions() {
    return {ValueOption("unit", "U"),     ValueOption("plan", "FILE|SHA"),
            ValueOption("station", "S"),  ValueOption("since", "DATE"),
            ValueOption("record", "URL"), ValueOption("config", "INI")};
}

// The filter of the command line; the text of a usage error, or empty.
std::string ReadFilter(const QCommandLineParser& parser, RecordFilter& filter) {
    filter.unit = parser.value(QStringLiteral("unit")).toStdString();
    filter.station = parser.value(QStringLiteral("station")).toStdString();
    FilterByPlan(filter, PathArgument(parser.value(QStringLiteral("plan"))));
    if (parser.isSet(QStringLiteral("since"))) {
        const std::string since = parser.value(QStringLiteral("since")).toStdString();
        filter.sinceUtc = UtcFromDate(since);
        if (filter.sinceUtc.empty())
            return "--since takes a date, 2026-12-07 or 2026-12-07T13:45";
    }
    return {};
}

// A plan named by a file that exists is that file's content, as a write of it records it: one
// name may have stood for several contents, and one content for several names. A name of no
// such file matches the records' file names.
int PlanOfFile(const QCommandLineParser& parser, RecordFilter& filter, Context& c) {
    const std::string path = PathArgument(parser.value(QStringLiteral("plan")));
    if (filter.planFile.empty() || KindOf(path) == FileKind::Unknown ||
        !QFileInfo(QString::fromStdString(path)).isFile()) {
        return -1;
    }
    Configuration config;
    if (int code = LoadConfig(parser, config, c); code >= 0)
        return code;
    MemoryImage image{};
    if (int code = LoadImageFile(path, Limits(config), image, c, config.limitsFault); code >= 0)
        return code;
    filter.planSha256 = PlanSha256(image, Limits(config));
    filter.planFile.clear();
    return -1;
}

// The records of the filter, or the exit code of a failure.
int Gather(const QCommandLineParser& parser, const RecordFilter& filter,
           std::vector<ProgrammingRecord>& records, bool withImages, Context& c) {
    RecordSettings settings;
    Configuration config;
    if (int code = ReadRecordPlace(parser, settings, config, c); code >= 0)
        return code;
    if (!settings.place.server &&
        !QFileInfo::exists(QString::fromStdString(settings.place.localFile))) {
        c.err << "orvelctl: no records yet (" << settings.place.localFile << ")\n" << std::flush;
        return -1;
    }
    std::unique_ptr<RecordStore> store;
    if (int code = OpenRecordsToRead(settings, store, c); code >= 0)
        return code;
    if (const Status read = store->Query(filter, withImages).Into(records); !read) {
        return Fail(c, settings.place.server ? kExitLink : kExitData,
                    store->Name() + ": " + read.error());
    }
    if (const std::size_t plans = PlansStartingWith(filter, records); plans > 1) {
        return Fail(c, kExitData,
                    std::to_string(plans) + " plans have SHA-256s that start with " +
                        filter.planSha256 + ": give more of it");
    }
    return -1;
}

int UsageOf(Context& c, const std::string& message) {
    c.err << "orvelctl: " << message << '\n' << kRecordSynopsis << std::flush;
    return kExitUsage;
}

}  // namespace

int RunRecordList(const QStringList& arguments, Context& c) {
    CommandInfo info{kRecordSynopsis, "", FilterOptions(), 0, "", false};
    info.options.push_back(ValueOption("format", "FORMAT"));
    info.options.push_back(ValueOption("limit", "N"));
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    Format format;
    if (!ParseFormat(parser, true, format))
        return UsageOf(c, "--format takes text, json or csv");
    RecordFilter filter;
    if (const std::string error = ReadFilter(parser, filter); !error.empty())
        return UsageOf(c, error);
    if (int code = PlanOfFile(parser, filter, c); code >= 0)
        return code;
    if (parser.isSet(QStringLiteral("limit"))) {
        bool number = false;
        filter.limit = parser.value(QStringLiteral("limit")).toUInt(&number);
        if (!number || filter.limit == 0)
            return UsageOf(c, "--limit takes a number of records, 1 or more");
    }
    std::vector<ProgrammingRecord> records;
    if (int code = Gather(parser, filter, records, format != Format::Text, c); code >= 0)
        return code;
    if (format == Format::Json) {
        c.out << RecordsJson(records);
    } else if (format == Format::Csv) {
        c.out << RecordsCsv(records);
    } else {
        for (const ProgrammingRecord& record : records)
            c.out << RecordLine(record) << '\n';
    }
    c.out.flush();
    return kExitOk;
}

int RunRecordExport(const QStringList& arguments, Context& c) {
    const CommandInfo info{kRecordSynopsis, "", FilterOptions(), 1, "one FILE.csv", false};
    QCommandLineParser parser;
    if (int code = Prepare(parser, info, arguments, c); code >= 0)
        return code;
    const std::string path = PathArgument(parser.positionalArguments().front());
    if (KindOf(path) != FileKind::Csv)
        return UsageOf(c, "export writes a .csv file, not '" + path + "'");
    RecordFilter filter;
    if (const std::string error = ReadFilter(parser, filter); !error.empty())
        return UsageOf(c, error);
    if (int code = PlanOfFile(parser, filter, c); code >= 0)
        return code;
    std::vector<ProgrammingRecord> records;
    if (int code = Gather(parser, filter, records, true, c); code >= 0)
        return code;
    std::string error;
    if (!WritableTarget(path, error) ||
        !WriteFileAtomically(path, RecordsCsv(records), error, Readers::Owner))
        return Fail(c, kExitData, path + ": " + error);
    c.err << "orvelctl: " << records.size() << " record" << (records.size() == 1 ? "" : "s")
          << " written to " << path << '\n'
          << std::flush;
    return kExitOk;
}

}  // namespace orvel::cli
