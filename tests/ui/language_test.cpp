// The window in English: menus, log lines of an exchange with the radio, boxes, the list and
// the report translated, the texts of the layers below all covered, files byte for byte the
// same as in Chinese; and the choice of language from the system, the INI and --lang.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "caboutdialog.h"
#include "chighlightlistctrl.h"
#include "cmainframe.h"
#include "corveltoolview.h"
#include "exchanges.h"
#include "help_files.h"
#include "language.h"
#include "lower_texts.h"
#include "radio_fields.h"
#include "verify_write.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

class LanguageTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> frame;
    COrvelToolView* view = nullptr;

    void Start(UiLanguage language) {
        QVERIFY(InstallLanguage(language));
        radio = StartedRadio();
        StartWindow(frame, view, Device(*radio));
    }
    // Reads the radio and saves what it read.
    QByteArray ReadAndSave(const QString& path) {
        Trigger(*view, "actionReadRadio");
        chosenFile = path;
        Trigger(*view, "actionSaveAs");
        return FileBytes(path);
    }

private slots:
    void init() { Begin(); }
    void cleanup() {
        frame.reset();
        view = nullptr;
        End();
        InstallLanguage(UiLanguage::Chinese);
    }

    void theLanguageFollowsTheOptionTheIniAndTheSystem() {
        using L = UiLanguage;
        const struct {
            const char* locale;
            QStringList ui;
            L expected;
        } systems[] = {
            {"C", {"C"}, L::Chinese},         {"C", {"en", "en-US"}, L::Chinese},
            {"zh_CN", {"zh-CN"}, L::Chinese}, {"zh_TW", {"zh-TW"}, L::Chinese},
            {"en_US", {"en-US"}, L::English}, {"de_DE", {"de-DE"}, L::English},
            {"en_US", {}, L::Chinese},
        };
        for (const auto& system : systems)
            QCOMPARE(LanguageForLocale(QLatin1String(system.locale), system.ui), system.expected);

        QStringList warnings;
        QCOMPARE(ChooseLanguage("en", true, "zh_CN", warnings), L::English);
        QCOMPARE(ChooseLanguage("zh_CN", true, "en", warnings), L::Chinese);
        QCOMPARE(ChooseLanguage(QString(), false, "en", warnings), L::English);
        QVERIFY(warnings.isEmpty());
        // A word that names no language is passed over, and the user told.
        QCOMPARE(ChooseLanguage("english", true, "en", warnings), L::English);
        QCOMPARE(ChooseLanguage(QString(), false, "EN", warnings), SystemLanguage());
        QCOMPARE(warnings.size(), 2);
        QVERIFY(warnings[0].contains("english") && warnings[1].contains("Language=EN"));
    }

    void theEnglishWindowSpeaksEnglish() {
        Start(UiLanguage::English);
        QCOMPARE(frame->findChild<QMenu*>("menuFile")->title(), QStringLiteral("&File"));
        QVERIFY(LogLines(*view).contains(QStringLiteral("****Initialising****")));
        Trigger(*view, "actionReadRadio");
        QVERIFY(LogLines(*view).contains(QStringLiteral("Receiving data [10%]")));
        QVERIFY(LogLines(*view).contains(QStringLiteral(" ***Data received correctly***")));
        // The list shows English words over the table's own Chinese cells.
        CHighlightListCtrl* list = view->channelList();
        const QAbstractItemModel* model = list->model();
        QCOMPARE(model->headerData(kColRx, Qt::Horizontal).toString(), QStringLiteral("RX freq"));
        QCOMPARE(model->index(15, kColLabel).data().toString(), QStringLiteral("CH 16"));
        const std::string dataVoice = view->table()[0][kColDataVoice];
        QVERIFY(dataVoice == vocab::kOff || dataVoice == vocab::kOn);
        const QString shownDataVoice = dataVoice == vocab::kOff ? "Off" : "On";
        QCOMPARE(model->index(0, kColDataVoice).data().toString(), shownDataVoice);
        // A screen reader hears what the list shows, with its column.
        QCOMPARE(
            model->index(0, kColDataVoice).data(Qt::AccessibleTextRole).toString(),
            model->headerData(kColDataVoice, Qt::Horizontal).toString() + ' ' + shownDataVoice);
        QCOMPARE(model->index(2, kColLabel).data(Qt::AccessibleTextRole).toString(), "CH 3");
        // A row copied as shown pastes back: "CH 3" and "Off" are the list's own cells.
        QGuiApplication::clipboard()->setText("CH 3\t224.5\t225\tP2\t2400\tOff\tL4\n");
        list->selectRow(3);
        view->OnRowClicked();
        QTRY_VERIFY(ActionOf(*view, "actionPaste")->isEnabled());
        Trigger(*view, "actionPaste");
        QCOMPARE(view->table()[3][kColDataVoice], std::string(vocab::kOff));
        QCOMPARE(view->table()[3][kColRx], std::string("224.500"));
        Trigger(*view, "actionCopy");
        QVERIFY(QGuiApplication::clipboard()->text().contains("\tOff\t"));

        Trigger(*view, "actionWriteRadio");
        QCOMPARE(shown.last().caption, QStringLiteral("Notice"));
        QCOMPARE(shown.last().text, QStringLiteral("Data written correctly"));
        QCOMPARE(LogLines(*view).last(), QStringLiteral("Verify OK"));

        CAboutDialog about;
        QCOMPARE(about.findChild<QLabel*>("labelLanguage")->text(),
                 QStringLiteral("Language: English"));

        QTemporaryDir folder;
        for (const char* name : {"help.txt", "help_en.txt"}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(HelpBaseName({folder.path()}, "help"), QStringLiteral("help_en"));
        QCOMPARE(HelpBaseName({folder.path()}, "ques"), QStringLiteral("ques"));
    }

    // Every fixed text of the layers below has its translation: a text marked there and not
    // translated would show in Chinese.
    void theTextsOfTheLayersBelowAreAllTranslated() {
        QVERIFY(InstallLanguage(UiLanguage::English));
        const Message messages[] = {
            lines::kPortClosed,       lines::kNoAnswer,      lines::kBadFormat,
            lines::kReadTimeout,      lines::kChecksum,      lines::kReadDone,
            lines::kWriteDone,        lines::kSpecialFailed, lines::kSpecialMalformed,
            lines::kVerifyReading,    lines::kVerifyOk,      lines::kVerifyChecksum,
            ChannelLabelText(16),     ReadProgress(30),      WriteProgress(40, true),
            WriteProgress(40, false), VerifyMismatch(5),
        };
        for (const Message& message : messages) {
            const QString shown = CoreLines(message);
            QVERIFY2(shown.count(QRegularExpression("[\\x{4e00}-\\x{9fff}]")) == 0,
                     qPrintable(shown));
            // The number is in its place: "CH 16", "[40%]", "word 0x05".
            const bool numbered = message.text.find("%1") != std::string_view::npos;
            QVERIFY2(
                !shown.contains(QLatin1String("%1")) &&
                    (!numbered || shown.contains(QString::fromStdString(MessageNumber(message)))),
                qPrintable(shown));
        }
        const std::string label = ChannelLabel(16);
        std::vector<std::string_view> texts = {label};
        for (const ChannelField& field : kChannelFields) {
            texts.push_back(field.heading);
            texts.push_back(field.reportHeading);
            texts.insert(texts.end(), field.items.begin(), field.items.end());
        }
        for (const SettingField& field : kSettingFields) {
            texts.push_back(field.label);
            texts.insert(texts.end(), field.items.begin(), field.items.end());
        }
        for (std::string_view text : texts) {
            const QString shown = CoreText(text);
            const bool ascii = std::all_of(text.begin(), text.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x80;
            });
            QVERIFY2(ascii || shown.count(QRegularExpression("[\\x{4e00}-\\x{9fff}]")) == 0,
                     qPrintable(shown));
        }
    }

    // A file does not depend on the language it was saved in.
    void filesAreTheSameInBothLanguages() {
        QTemporaryDir folder;
        Start(UiLanguage::English);
        const QByteArray english = ReadAndSave(folder.filePath("en.dat"));
        cleanup();
        Start(UiLanguage::Chinese);
        QCOMPARE(frame->findChild<QMenu*>("menuFile")->title(), QStringLiteral("文件(&F)"));
        QVERIFY(LogLines(*view).contains(QStringLiteral("****正在初始化****")));
        const QByteArray chinese = ReadAndSave(folder.filePath("zh.dat"));
        QCOMPARE(english.size(), 260);
        QCOMPARE(english, chinese);
        QVERIFY(LogLines(*view).contains(QStringLiteral(" ***正确接收数据***")));
    }

    // The English report: translated, its words beside the longer names, and still one page.
    void theEnglishReportFitsOnePage() {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir folder;
        Start(UiLanguage::English);
        Trigger(*view, "actionReadRadio");
        const QString pdf = folder.filePath("report.pdf");
        QVERIFY(view->PrintToPdf(pdf));
        QCOMPARE(LogLines(*view).last(), QStringLiteral("***Printing finished***"));
        QProcess text;
        text.start(pdftotext, {"-layout", pdf, "-"});
        QVERIFY(text.waitForFinished());
        const QString report = QString::fromUtf8(text.readAllStandardOutput());
        QCOMPARE(report.count(QLatin1Char('\f')), 1);
        for (const char* expected :
             {"Current data settings", "RX freq", "CH 16", "Data/voice priority", "Power save"}) {
            QVERIFY2(report.contains(QLatin1String(expected)), expected);
        }
        QVERIFY(report.contains(QRegularExpression("Parity +:Even")));
    }
};

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
