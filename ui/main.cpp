// orveltool: the window program.
#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <string_view>

#include "app_paths.h"
#include "cell_rules.h"
#include "channel_file.h"
#include "chighlightlistctrl.h"
#include "cmainframe.h"
#include "corveltoolview.h"
#include "fleet_dialog.h"
#include "language.h"
#include "orvel_version.h"
#include "plan_library_dialog.h"
#include "port_kinds.h"
#include "programming_record.h"
#include "radio_operations.h"
#include "record_dialog.h"
#include "record_store.h"

namespace orvel {

namespace {

// The name the port menu and the toolbar show for the built-in radio. The slash keeps it from
// being taken for a device name, which would be looked for under /dev.
constexpr const char* kVirtualRadioPort = "virtual/radio";

// What a trainer shows first: the radio read, channel 3 changed and confirmed, and written.
void ReadAndChangeChannel3(COrvelToolView& view) {
    view.actions().readRadio->trigger();
    view.channelList()->selectRow(2);
    view.OnRowClicked();
    view.findChild<QLineEdit*>(QStringLiteral("rxEdit"))->setText(QStringLiteral("230.125"));
    view.findChild<QLineEdit*>(QStringLiteral("txEdit"))->setText(QStringLiteral("235"));
    view.OnConfirm();
    view.channelList()->setFocus();
}

void RunDemo(COrvelToolView& view) {
    ReadAndChangeChannel3(view);
    view.actions().writeRadio->trigger();
}

// The picture names the file a bench keeps its records in, not the scratch one.
QString BenchRecordFile() {
    QString bench = QDir::toNativeSeparators(orvel::RecordFilePath());
    if (const QString home = QDir::toNativeSeparators(QDir::homePath()); bench.startsWith(home))
        bench = QLatin1Char('~') + bench.mid(home.size());
    return bench;
}

// 编程记录... over a few records of a morning's work, or 方案库... (`plans`) over the plan they
// wrote and its later version, kept in a scratch file so that no bench's own records or plans
// change for a picture.
void ShowRecords(COrvelToolView& view, bool plans) {
    static QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("records.sqlite")).toStdString();
    auto store = orvel::RecordStore::OpenFile(path);
    if (!store) {
        std::fprintf(stderr, "orveltool: %s\n", store.error().c_str());
        return;
    }
    struct Sample {
        const char* started;
        orvel::RecordAction action;
        const char* unit;
        const char* plan;
        orvel::ExitClass exitClass;
        const char* outcome;
    };
    using orvel::ExitClass;
    using orvel::RecordAction;
    const Sample samples[] = {
        {"2026-12-08T08:58:12.204Z", RecordAction::Read, "", "", ExitClass::Ok, "ok"},
        {"2026-12-08T09:04:40.518Z", RecordAction::Write, "SN-1001", "substation-a.dat",
         ExitClass::Ok, "ok"},
        {"2026-12-08T09:07:03.911Z", RecordAction::Write, "SN-1002", "substation-a.dat",
         ExitClass::Communication, "no answer to frame 12 of 66 (channel words)"},
        {"2026-12-08T09:08:27.350Z", RecordAction::Write, "SN-1002", "substation-a.dat",
         ExitClass::Ok, "ok"},
    };
    const orvel::MemoryImage image = view.image();
    for (const Sample& sample : samples) {
        orvel::ProgrammingRecord record = orvel::StartRecord("orveltool", sample.action);
        record.startedUtc = record.endedUtc = sample.started;
        record.station = "bench-2";
        record.operatorName = "li.wei";
        record.port = "/dev/ttyUSB0";
        record.radioId = "ORVEL-R1";
        record.unit = sample.unit;
        record.planFile = sample.plan;
        record.planSha256 = orvel::Sha256Hex(image);
        record.exitClass = sample.exitClass;
        record.outcome = sample.outcome;
        record.verified = sample.action == RecordAction::Write && record.exitClass == ExitClass::Ok;
        record.before = image;
        record.after = image;
        if (const orvel::Status kept = (*store)->Insert(record); !kept)
            std::fprintf(stderr, "orveltool: %s\n", kept.error().c_str());
    }
    // SN-1001 was written the plan's first version; the second came later.
    orvel::PlanVersion plan;
    plan.name = "substation-a";
    plan.image = image;
    plan.station = "bench-2";
    plan.operatorName = "li.wei";
    orvel::Status planned = (*store)->AddPlan(plan).status();
    plan.image[20] ^= 0x01;
    plan.note = "channel 3 moved to 230.125";
    const std::vector<orvel::UnitAssignment> units = {
        orvel::Assignment("SN-1001", plan.name, {}, "north"),
        orvel::Assignment("SN-1002", plan.name, {}, "north")};
    planned = planned.Then([&] { return (*store)->AddPlan(plan).status(); }).Then([&] {
        return (*store)->Assign(units);
    });
    if (!planned)
        std::fprintf(stderr, "orveltool: %s\n", planned.error().c_str());
    if (plans) {
        orvel::RecordSettings settings;
        settings.place.localFile = path;
        settings.station = "bench-2";
        auto* library =
            new orvel::PlanLibraryDialog(settings, image, "substation-a", view.window());
        library->setAttribute(Qt::WA_DeleteOnClose);
        library->findChild<QLabel*>(QStringLiteral("planPlace"))
            ->setText(orvel::PlanLibraryDialog::tr("方案保存在：%1").arg(BenchRecordFile()));
        library->show();
        return;
    }
    auto* dialog = new orvel::RecordDialog(orvel::RecordPlace{path, {}}, view.window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->findChild<QLabel*>(QStringLiteral("recordPlace"))
        ->setText(orvel::RecordDialog::tr("记录保存在：%1").arg(BenchRecordFile()));
    dialog->show();
}

// 机群状态... over a substation's units as their latest reads left them: two in plan, one a
// version behind, one with a byte changed, one behind a server that did not answer and one not
// yet checked; kept in a scratch file as the records are.
void ShowFleet(COrvelToolView& view) {
    static QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("fleet.sqlite")).toStdString();
    auto store = orvel::RecordStore::OpenFile(path);
    if (!store) {
        std::fprintf(stderr, "orveltool: %s\n", store.error().c_str());
        return;
    }
    orvel::PlanVersion plan;
    plan.name = "substation-a";
    plan.image = view.image();
    const orvel::MemoryImage first = plan.image;
    orvel::Status planned = (*store)->AddPlan(plan).status();
    plan.image[20] ^= 0x01;
    planned = planned.Then([&] { return (*store)->AddPlan(plan).status(); });
    // Channel 1 received elsewhere than the plan says.
    orvel::DecodedImage decoded =
        orvel::DecodeAsShown(plan.image, orvel::DecodeSource::FromFile, {223, 235});
    decoded.table[0][1] = "231.000";
    const orvel::MemoryImage changed =
        orvel::WrittenImage(plan.image, orvel::WriteRequest{decoded.table, decoded.settings, {}});
    struct Sample {
        const char* unit;
        const char* port;
        const char* site;
        const orvel::MemoryImage* held;  // none: the read failed, or (no outcome) no record
        const char* outcome;
    };
    const Sample samples[] = {
        {"SN-1001", "rfc2217://10.20.1.7:4001", "north", &plan.image, "ok"},
        {"SN-1002", "rfc2217://10.20.1.8:4001", "north", &plan.image, "ok"},
        {"SN-1003", "rfc2217://10.20.1.9:4001", "north", &first, "ok"},
        {"SN-1004", "rfc2217://10.20.2.7:4001", "south", &changed, "ok"},
        {"SN-1005", "rfc2217://10.20.2.8:4001", "south", nullptr,
         "no answer to the identify command"},
        {"SN-1006", "rfc2217://10.20.2.9:4001", "south", nullptr, nullptr},
    };
    std::vector<orvel::UnitAssignment> units;
    for (const Sample& sample : samples) {
        units.push_back(orvel::Assignment(sample.unit, plan.name, sample.port, sample.site));
        if (sample.outcome == nullptr)
            continue;
        orvel::ProgrammingRecord record =
            orvel::StartRecord("orveltool", orvel::RecordAction::Read);
        record.startedUtc = record.endedUtc = "2026-12-10T07:30:12.204Z";
        record.station = "bench-2";
        record.port = sample.port;
        record.unit = sample.unit;
        record.outcome = sample.outcome;
        record.exitClass = sample.held ? orvel::ExitClass::Ok : orvel::ExitClass::Communication;
        if (sample.held)
            record.after = *sample.held;
        planned = planned.Then([&] { return (*store)->Insert(record); });
    }
    planned = planned.Then([&] { return (*store)->Assign(units); });
    if (!planned)
        std::fprintf(stderr, "orveltool: %s\n", planned.error().c_str());
    orvel::RecordSettings settings;
    settings.place.localFile = path;
    auto* dialog = new orvel::FleetDialog(settings, orvel::Configuration(), view.window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

// Pictures of the editing commands: "rows" reads the radio and chooses channels 3 to 6;
// "rows-menu" then opens the list's own menu on them; "fill" opens 批量设置 on all channels with
// a plan some rows of which the limits refuse; "network-port" opens 网络串口... with an address;
// "read" only reads; "compare" changes channel 3 after the read and compares with the radio;
// "current-channel" opens 设置当前信道 after the read; "records" opens 编程记录... on a few
// records, "plans" 方案库... on their plan, "fleet" 机群状态... on a substation's units.
void ShowScene(COrvelToolView& view, const QString& name) {
    if (name == QStringLiteral("records") || name == QStringLiteral("plans")) {
        ShowRecords(view, name == QStringLiteral("plans"));
        return;
    }
    if (name == QStringLiteral("fleet")) {
        ShowFleet(view);
        return;
    }
    if (name == QStringLiteral("compare")) {
        ReadAndChangeChannel3(view);
        view.actions().compareRadio->trigger();
        return;
    }
    if (name == QStringLiteral("read") || name == QStringLiteral("current-channel")) {
        view.actions().readRadio->trigger();
        if (name != QStringLiteral("read"))
            view.actions().currentChannel->trigger();
        return;
    }
    if (name == QStringLiteral("network-port")) {
        // 网络串口... with an address typed in.
        QTimer::singleShot(200, [] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                dialog->findChild<QLineEdit*>(QStringLiteral("networkPortUrl"))
                    ->setText(QStringLiteral("rfc2217://192.168.1.50:4001"));
            }
        });
        view.actions().networkPort->trigger();
        return;
    }
    view.actions().readRadio->trigger();
    CHighlightListCtrl* list = view.channelList();
    const bool fill = name == QStringLiteral("fill");
    QAbstractItemModel* model = list->model();
    list->selectionModel()->select(
        QItemSelection(model->index(fill ? 0 : 2, 0), model->index(fill ? 15 : 5, 6)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->selectionModel()->setCurrentIndex(model->index(fill ? 0 : 5, 0),
                                            QItemSelectionModel::NoUpdate);
    // The list shows its chosen rows only while it has the focus.
    view.window()->activateWindow();
    list->setFocus();
    view.OnRowClicked();
    if (name == QStringLiteral("rows-menu")) {
        emit list->customContextMenuRequested(list->visualRect(model->index(4, 2)).center());
        return;
    }
    if (!fill)
        return;
    QTimer::singleShot(200, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        const std::pair<const char*, double> values[] = {
            {"fillStart", 229.0}, {"fillStep", 0.5}, {"fillOffset", 1.0}};
        for (const auto& [box, value] : values)
            dialog->findChild<QDoubleSpinBox*>(QLatin1String(box))->setValue(value);
        dialog->findChild<QCheckBox*>(QStringLiteral("fillAll%1").arg(orvel::kColPower))
            ->setChecked(true);
    });
    view.actions().fill->trigger();
}

}  // namespace

}  // namespace orvel

using namespace orvel;

int main(int argc, char* argv[]) {
    // Text-only answers need no display: a terminal without one still gets them.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version")
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#ifdef SIGXFSZ
    // Past a file-size limit a save, a trace or a safety copy fails with its message; the
    // signal would end the window in the middle of a write to the radio.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrvelTool"));
    QApplication::setApplicationVersion(QString::fromLatin1(orvel::kVersion));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orveltool.OrvelTool"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Orvel系列电台设置工具"));
    parser.addHelpOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Talk to a built-in virtual radio."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Use DEV for this run instead of the configured port: a device, or a port "
                       "behind a serial device server, ") +
            QString::fromStdString(
                orvel::NetworkPortForms(" or ", orvel::PortWords::FormAndBrief)) +
            QLatin1Char('.'),
        QStringLiteral("DEV"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("Write every byte on the line to FILE."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption reportPdf(
        QStringLiteral("report-pdf"),
        QStringLiteral("Print the report of the sample configuration to FILE.pdf and exit."),
        QStringLiteral("FILE"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the screen to FILE.png shortly after start and exit."),
        QStringLiteral("FILE"));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Read the radio and confirm a changed channel 3 after start (training)."));
    const QCommandLineOption find(
        QStringLiteral("find"),
        QStringLiteral("Open 通信 > 查找电台 (Communication > Find Radio) after start: find "
                       "the radio on every port."));
    const QCommandLineOption delay(QStringLiteral("screenshot-delay"),
                                   QStringLiteral("Milliseconds before the screenshot."),
                                   QStringLiteral("MS"));
    QCommandLineOption scene(
        QStringLiteral("scene"),
        QStringLiteral("A picture of read, rows, rows-menu, fill, network-port, compare, "
                       "current-channel or records."),
        QStringLiteral("NAME"));
    scene.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Print the version and exit."));
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QStringLiteral("The window's language: zh_CN (Chinese) or en (English). Without it, "
                       "Language= in OrvelTool.ini, else the system's language."),
        QStringLiteral("LANG"));
    parser.addOptions(
        {simulate, port, trace, reportPdf, screenshot, demo, find, delay, scene, lang, version});
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A .dat file to open (or a .csv or .json to import) once the window is up."),
        QStringLiteral("[FILE]"));
    // The language comes first, so that the help and Qt's own messages speak it too.
    parser.parse(QApplication::arguments());
    QStringList warnings;
    const UiLanguage language = ChooseLanguage(
        parser.value(lang), parser.isSet(lang),
        QString::fromStdString(orvel::LoadConfigurationFile(orvel::ConfigReadPath()).language),
        warnings);
    for (const QString& warning : std::as_const(warnings))
        std::fprintf(stderr, "orveltool: %s\n", qPrintable(warning));
    if (!InstallLanguage(language))
        std::fprintf(stderr,
                     "orveltool: the English translation is missing; the window stays "
                     "Chinese\n");
    parser.process(app);
    if (parser.isSet(version)) {
        std::printf("orveltool %s\n", orvel::kVersion);
        return 0;
    }

    // A picture or a report goes into a regular file only: never over a device or into a FIFO.
    for (const QCommandLineOption* output : {&reportPdf, &screenshot}) {
        std::string error;
        const QString path = parser.value(*output);
        if (parser.isSet(*output) && !orvel::WritableTarget(path.toStdString(), error)) {
            std::fprintf(stderr, "orveltool: %s: %s\n", qPrintable(path), error.c_str());
            return 3;
        }
    }

    COrvelToolView::StartOptions options;
    options.portOverride = parser.value(port);
    options.tracePath = parser.value(trace);
    options.openPortLater = !parser.isSet(reportPdf);
    auto* view = new COrvelToolView;
    orvel::sim::InProcessRadio* radio = nullptr;
    if (parser.isSet(simulate) || parser.isSet(reportPdf)) {
        options.portOverride = QString::fromLatin1(kVirtualRadioPort);
        radio = &view->port().AttachVirtualRadio(options.portOverride);
    }
    CMainFrame frame(view, view);
    view->setProgressBar(frame.progressBar());
    view->OnInitialUpdate(options);

    if (parser.isSet(reportPdf)) {
        // The sample goes through the same open and print commands a technician uses.
        QTemporaryDir folder;
        const QString sample = folder.path() + QStringLiteral("/sample.dat");
        std::string error;
        if (!orvel::WriteFileAtomically(sample.toStdString(),
                                        orvel::ChannelFileBytes(radio->Engine().Image()), error)) {
            std::fprintf(stderr, "orveltool: %s\n", error.c_str());
            return 2;
        }
        view->dialogs().fileName = [sample](bool, const QString&) { return sample; };
        view->actions().open->trigger();
        const QString pdf = QFileInfo(parser.value(reportPdf)).absoluteFilePath();
        if (!view->PrintToPdf(pdf)) {
            std::fprintf(stderr, "orveltool: no report written to %s\n", qPrintable(pdf));
            return 2;
        }
        std::printf("%s\n", qPrintable(pdf));
        return 0;
    }

    frame.show();
    frame.setWindowTitle(CMainFrame::caption());
    // A file given to the program (double-clicked in the file manager) opens as one dropped
    // on the window does, after the port.
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        std::fprintf(stderr, "orveltool: one file at a time; opening %s\n", qPrintable(files[0]));
    QTimer::singleShot(0, view, [view, files] {
        view->OpenPort();
        if (!files.isEmpty())
            view->OnDropFiles(files.mid(0, 1));
    });
    if (parser.isSet(demo)) {
        QTimer::singleShot(300, view, [view] { RunDemo(*view); });
    }
    if (parser.isSet(scene)) {
        const QString name = parser.value(scene);
        QTimer::singleShot(300, view, [view, name] { ShowScene(*view, name); });
    }
    if (parser.isSet(find)) {
        QTimer::singleShot(300, view, [view] { view->actions().findRadio->trigger(); });
    }
    if (parser.isSet(screenshot)) {
        const QString path = parser.value(screenshot);
        const int wait = parser.isSet(delay)  ? parser.value(delay).toInt()
                         : parser.isSet(demo) ? 9000
                                              : 1500;
        QTimer::singleShot(wait, &frame, [&frame, path] {
            QScreen* screen = frame.screen();
            const QPixmap picture = screen ? screen->grabWindow(0) : frame.grab();
            const bool saved = (picture.isNull() ? frame.grab() : picture).save(path);
            std::printf("%s\n", saved ? qPrintable(path) : "no screenshot written");
            QApplication::exit(saved ? 0 : 2);
        });
    }
    return app.exec();
}
