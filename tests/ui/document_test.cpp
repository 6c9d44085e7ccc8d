// One document behind the window: what is saved after undo, import and paste; the unsaved mark
// through every way a change can come; rows from the clipboard; the fill's preview; the recent
// files as the settings file lists them; where the row commands land; codes the panel cannot show.
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app_paths.h"
#include "channel_file.h"
#include "chighlightlistctrl.h"
#include "cmainframe.h"
#include "codec.h"
#include "fill_dialog.h"
#include "window_fixture.h"

using namespace orvel;
using namespace orvel::test;

class DocumentTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> frame;
    COrvelToolView* view = nullptr;
    QTemporaryDir folder;

    // The window as the program shows it, with the radio read so that every row has values.
    void Start() {
        radio = StartedRadio();
        StartWindow(frame, view, Device(*radio));
        view->OnRead();
        shown.clear();
    }
    QString Path(const char* name) const { return folder.filePath(QLatin1String(name)); }
    void Run(const char* action, const QString& file = {}) {
        chosenFile = file;
        Trigger(*view, action);
    }
    void EditRow3(const char* rx) {
        view->channelList()->selectRow(2);
        view->OnRowClicked();
        Control<QLineEdit>(view, "rxEdit")->setText(QLatin1String(rx));
        Control<QPushButton>(view, "confirmButton")->click();
    }
    QString Row(int channel) const {
        QStringList cells;
        for (int c = 1; c < 7; ++c)
            cells << QString::fromStdString(view->table()[channel - 1][c]);
        return cells.join(',');
    }
    void Paste(int channel, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        view->channelList()->selectRow(channel - 1);
        view->OnRowClicked();
        // Ctrl+V, as the user pastes: with nothing to paste the key still says why.
        if (ActionOf(*view, "actionPaste")->isEnabled()) {
            Trigger(*view, "actionPaste");
        } else {
            auto* key = view->findChild<QShortcut*>();
            QVERIFY(key != nullptr && key->isEnabled() && key->key() == QKeySequence::Paste);
            emit key->activated();
        }
    }
    QString LastLine() const { return LogLines(*view).last(); }
    // The window's work saved as `name`, read back as the image it holds.
    MemoryImage SavedImage(const char* name) {
        Run("actionSaveAs", Path(name));
        const QByteArray saved = FileBytes(Path(name));
        return ImageFromChannelFile(std::vector<std::uint8_t>(saved.begin(), saved.end())).image;
    }
    // `image` with its checksum made good, as the channel file `name`; its bytes, empty when
    // the file could not be written.
    QByteArray WrittenChannelFile(const char* name, MemoryImage image) const {
        image[layout::kChecksum] = ImageChecksum(image);
        const std::vector<std::uint8_t> bytes = ChannelFileBytes(image);
        const QByteArray content(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<qsizetype>(bytes.size()));
        QFile file(Path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return {};
        return content;
    }

private slots:
    void init() { Begin(); }
    void cleanup() {
        frame.reset();
        End();
    }

    // Undoing an import gives back the opened file's header and spare bytes too.
    void anUndoneImportSavesTheFileAsItWasOpened() {
        Start();
        Run("actionSaveAs", Path("a.dat"));
        const QByteArray opened = FileBytes(Path("a.dat"));
        Run("actionExport", Path("other.json"));
        QJsonObject json = QJsonDocument::fromJson(FileBytes(Path("other.json"))).object();
        QString header = json["header"].toString();
        QString spareA = json["spareA"].toString();
        QString spareB = json["spareB"].toString();
        json["header"] = header.replace(header.size() - 2, 2, "99");
        json["spareA"] = spareA.replace(0, 2, "77");
        json["spareB"] = spareB.replace(spareB.size() - 2, 2, "99");
        QFile file(Path("other.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(json).toJson());
        file.close();

        Run("actionImport", Path("other.json"));
        QCOMPARE(view->image()[2], 0x99);
        Run("actionUndo");
        QVERIFY(!frame->isWindowModified());
        Run("actionSaveAs", Path("c.dat"));
        QCOMPARE(FileBytes(Path("c.dat")), opened);
        Run("actionRedo");
        QVERIFY(frame->isWindowModified());
    }

    // Cells from a spreadsheet are read as files are: no decimal comma, no trailing letters.
    void pastedFrequenciesMustBeNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("line");
        QTest::newRow("decimal comma") << "224,525\t225,025\tP3\t4800\t关\tL3"
                                       << ",,,,,"
                                       << "粘贴：信道5 接收频率数据非法，发送频率数据非法";
        QTest::newRow("letters") << "224.5abc\t225\tP3\t4800\t关\tL3"
                                 << ",,,,,"
                                 << "粘贴：信道5 接收频率数据非法";
        QTest::newRow("hex") << "225\t0xE0\tP3\t4800\t关\tL3"
                             << ",,,,,"
                             << "粘贴：信道5 发送频率数据非法";
        QTest::newRow("quoted, with blanks") << "\" 224.5 \",225,P3,4800,关,L3"
                                             << "224.500,225.000,P3,4800,关,L3"
                                             << "粘贴 1 行";
    }
    void pastedFrequenciesMustBeNumbers() {
        QFETCH(QString, text);
        QFETCH(QString, row);
        QFETCH(QString, line);
        radio = StartedRadio();
        StartWindow(frame, view, Device(*radio));
        Paste(5, text);
        QCOMPARE(Row(5), row);
        QCOMPARE(LastLine(), line);
    }

    // Channel 16 with its number, quoted empty cells (an empty row clears), and a clipboard
    // without rows says so.
    void pastedRowsAtTheEdges() {
        Start();
        Paste(16, "16\t230\t231\tP2\t2400\t开\tL2\n");
        QCOMPARE(Row(16), "230.000,231.000,P2,2400,开,L2");
        Paste(15, "\"\",\"\",\"\",\"\",\"\",\"\"\n");
        QCOMPARE(Row(15), ",,,,,");
        // An empty channel copied with its number pastes as an empty row.
        view->channelList()->selectRow(14);
        view->OnRowClicked();
        Trigger(*view, "actionCopy");
        Paste(13, QGuiApplication::clipboard()->text());
        QCOMPARE(Row(13), ",,,,,");
        const QString before = Row(14);
        Paste(14, "nothing to paste");
        QCOMPARE(Row(14), before);
        QCOMPARE(LastLine(), "粘贴：剪贴板中没有信道数据（每行应为6项，或以信道号开头的7项）");
    }

    // Every way a setting changes is a step with the unsaved mark: an assistive tool toggles
    // a button without clicking it.
    void aToggledSettingIsAStep() {
        Start();
        auto* button = Control<QRadioButton>(view, "parityOddButton");
        QVERIFY(!button->isChecked());
        const int parity = view->settings().parity;
        button->toggle();
        QCOMPARE(view->settings().parity, 1);
        QVERIFY(frame->isWindowModified());
        Run("actionUndo");
        QCOMPARE(view->settings().parity, parity);
        QVERIFY(!button->isChecked());
        QVERIFY(!frame->isWindowModified());
        Run("actionRedo");
        QVERIFY(button->isChecked());
    }

    // An import replaces the work: over changes it asks as 打开 does, from the menu, a drop
    // or the recent list, and 取消 leaves everything as it was.
    void anImportOverChangesAsksFirst() {
        Start();
        Run("actionExport", Path("plan.json"));
        Run("actionExport", Path("plan.csv"));
        EditRow3("224");
        const ChannelTable edited = view->table();
        answer = QMessageBox::Cancel;
        Run("actionImport", Path("plan.json"));
        view->OnDropFiles({Path("plan.csv")});
        Run("actionRecentFile1");
        QCOMPARE(Texts(), QStringList(3, QStringLiteral("是否保存对信道数据的修改？")));
        QCOMPARE(view->table(), edited);
        QVERIFY(frame->isWindowModified());
        QVERIFY(!LastLine().startsWith("文件导入"));
    }

    // A CSV export holds the channels only: the mark stays. Open clears it.
    void theMarkFollowsWhatIsKept() {
        Start();
        EditRow3("224");
        Run("actionExport", Path("plan.csv"));
        QVERIFY(frame->isWindowModified());
        Run("actionSaveAs", Path("a.dat"));
        EditRow3("225");
        answer = QMessageBox::Discard;
        Run("actionOpen", Path("a.dat"));
        QVERIFY(!frame->isWindowModified());
        QCOMPARE(view->table()[2][1], std::string("224.000"));
    }

    // A safety copy opened and then left with 保存 is saved under a new name, never over itself.
    void savingOnLeavingNeverWritesOverASafetyCopy() {
        Start();
        const QStringList copies = QDir(BackupFolder()).entryList({"*.dat"}, QDir::Files);
        QVERIFY(!copies.isEmpty());
        const QString copy = QDir(BackupFolder()).filePath(copies.first());
        const QByteArray kept = FileBytes(copy);
        answer = QMessageBox::Discard;
        Run("actionOpen", copy);
        EditRow3("224");
        answer = QMessageBox::Save;
        chosenFile = Path("mine.dat");
        QVERIFY(frame->close());
        QCOMPARE(FileBytes(copy), kept);
        QCOMPARE(view->filePath(), Path("mine.dat"));
        QCOMPARE(FileBytes(Path("mine.dat")).size(), 260);
    }

    // The list holds each file once, however it was named, also as the INI lists them.
    void recentFilesAreListedOnce() {
        QDir(folder.path()).mkdir("a");
        WriteIni(QStringLiteral("[Recent File List]\nFile1=%1/a/../a/x.dat\nFile2=%1/a/x.dat\n")
                     .arg(folder.path())
                     .toUtf8());
        Start();
        QCOMPARE(view->recentFiles(), QStringList{Path("a/x.dat")});
        Run("actionSaveAs", Path("b.dat"));
        Run("actionSaveAs", Path("a/../b.dat"));
        QCOMPARE(view->recentFiles(), (QStringList{Path("b.dat"), Path("a/x.dat")}));
    }

    // The mark goes when the work is back where it was saved, by undo as much as by a save.
    void undoingBackToWhatWasSavedClearsTheMark() {
        Start();
        EditRow3("224");
        Run("actionSaveAs", Path("a.dat"));
        EditRow3("225");
        QVERIFY(frame->isWindowModified());
        Run("actionUndo");
        QVERIFY(!frame->isWindowModified());
    }

    // Every row of the list shows the document, the first and the last too, after a read
    // and after undoing it.
    void theListShowsEveryRow() {
        Start();
        const QAbstractItemModel* list = view->channelList()->model();
        for (bool undone : {false, true}) {
            for (int r = 0; r < 16; ++r)
                QCOMPARE(list->index(r, 1).data().toString().toStdString(), view->table()[r][1]);
            if (!undone)
                Run("actionUndo");
        }
    }

    // 清除 with chosen rows apart from each other clears each of them.
    void clearingRowsChosenApart() {
        Start();
        const QAbstractItemModel* list = view->channelList()->model();
        auto* chosen = view->channelList()->selectionModel();
        chosen->select(list->index(1, 0),
                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        chosen->select(list->index(4, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->OnRowClicked();
        view->OnClear();
        for (int channel = 1; channel <= 6; ++channel)
            QCOMPARE(Row(channel) == ",,,,,", channel == 2 || channel == 5);
    }

    // A semicolon inside quotes is a cell's text, not the separator: the log names the cell.
    void aQuotedSemicolonIsNoSeparator() {
        Start();
        Paste(5, "224.5,225,P3,4800,关,\"L3;\"");
        QCOMPARE(LastLine(), "粘贴：信道5 SQL数据非法");
    }

    // A spreadsheet brings channels only: the header the window holds stays.
    void aSpreadsheetKeepsTheHeader() {
        Start();
        Run("actionExport", Path("plan.csv"));
        Run("actionExport", Path("all.json"));
        QJsonObject json = QJsonDocument::fromJson(FileBytes(Path("all.json"))).object();
        QString header = json["header"].toString();
        json["header"] = header.replace(header.size() - 2, 2, "99");
        QFile file(Path("all.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(json).toJson());
        file.close();
        Run("actionImport", Path("all.json"));
        Run("actionImport", Path("plan.csv"));
        QCOMPARE(view->image()[2], 0x99);
    }

    // A read that gets nothing gives back the work it emptied the list of, mark and all.
    void aFailedReadGivesBackTheWork() {
        radio = StartedRadio(sim::RadioBehaviour{.silent = true});
        StartWindow(frame, view, Device(*radio));
        Paste(3, "224\t225\tP3\t4800\t关\tL3");
        const ChannelTable edited = view->table();
        QCOMPARE(Row(3), "224.000,225.000,P3,4800,关,L3");
        answer = QMessageBox::Discard;
        view->OnRead();
        QCOMPARE(view->table(), edited);
        QVERIFY(frame->isWindowModified());
    }

    // The fill counts its steps from its first channel; refused rows show what was refused.
    void theFillStartsAtItsFirstChannel() {
        FillPlan plan{3, 4, 230.0, 1.0, 0.5, {}};
        const std::map<int, ChannelRow> rows = FillRows(plan, EmptyChannelTable());
        QCOMPARE(rows.size(), std::size_t{2});
        QCOMPARE(rows.at(3)[kColRx], std::string("230.0000"));
        QCOMPARE(rows.at(4)[kColTx], std::string("231.5000"));

        FillDialog dialog(EmptyChannelTable(), {223, 235}, 15, 16);
        dialog.findChild<QDoubleSpinBox*>("fillStart")->setValue(235.0005);
        dialog.findChild<QDoubleSpinBox*>("fillStep")->setValue(-12.0005);
        dialog.findChild<QDoubleSpinBox*>("fillOffset")->setValue(-235.0005);
        auto* preview = dialog.findChild<QTableWidget*>("fillPreview");
        QCOMPARE(preview->item(0, kColRx)->text(), "235.0005");
        QCOMPARE(preview->item(0, kColTx)->text(), "0.000");
        QCOMPARE(preview->item(1, kColRx)->text(), "223.000");
        QCOMPARE(dialog.findChild<QLabel*>("fillSummary")->text(),
                 "2 个信道不符合要求，将保持原样");
    }

    // The mark goes once the work is kept: saved in place, or written without the check.
    void aSaveInPlaceOrAnUncheckedWriteClearsTheMark() {
        Start();
        Run("actionSaveAs", Path("a.dat"));
        const QByteArray before = FileBytes(Path("a.dat"));
        EditRow3("224");
        Run("actionSave");
        QVERIFY(!frame->isWindowModified());
        QVERIFY(FileBytes(Path("a.dat")) != before);
        EditRow3("225");
        Run("actionVerifyWrites");
        Run("actionWriteRadio");
        QCOMPARE(Texts().last(), "正确写入数据");
        QVERIFY(!frame->isWindowModified());
    }

    // 批量设置 over several chosen rows fills those rows; 粘贴 without a chosen row starts at
    // the panel's channel.
    void rowCommandsGoWhereTheUserPointed() {
        Start();
        view->dialogs().fill = [](const ChannelTable&, const FrequencyLimits&, int first,
                                  int last) -> std::optional<FillPlan> {
            return FillPlan{first, last, 230.0, 1.0, 0.5, {}};
        };
        const QString row6 = Row(6);
        const QAbstractItemModel* list = view->channelList()->model();
        view->channelList()->selectionModel()->select(
            QItemSelection(list->index(2, 0), list->index(4, 6)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        Run("actionFill");
        QCOMPARE(LastLine(), "批量设置 信道3-5");
        QCOMPARE(Row(6), row6);

        view->channelList()->selectRow(6);
        view->OnRowClicked();
        view->channelList()->clearSelection();
        QGuiApplication::clipboard()->setText("230\t231\tP2\t2400\t开\tL2");
        QTRY_VERIFY(ActionOf(*view, "actionPaste")->isEnabled());
        Run("actionPaste");
        QCOMPARE(Row(7), "230.000,231.000,P2,2400,开,L2");
    }

    // Codes that name no item show no choice (a drop-down) or the last one (an option button);
    // the file is saved as it was opened,
    // also after a spreadsheet brought the same channels.
    void aFileWithCodesTheDropDownsCannotShowIsSavedAsOpened() {
        Start();
        Run("actionExport", Path("plan.csv"));
        MemoryImage image = SavedImage("a.dat");
        image[layout::kTxTimeLimitIndex] = 0x20;
        image[layout::kPowerSaveIndex] = 0x30;
        image[layout::kModeByte2] |= 0xC0;  // parity code 3: no button
        const QByteArray opened = WrittenChannelFile("b.dat", image);
        QVERIFY(!opened.isEmpty());
        Run("actionOpen", Path("b.dat"));
        QCOMPARE(Control<QComboBox>(view, "txTimeLimitCombo")->currentIndex(), -1);
        QCOMPARE(Control<QComboBox>(view, "powerSaveCombo")->currentIndex(), -1);
        QVERIFY(!frame->isWindowModified());
        Run("actionSaveAs", Path("c.dat"));
        QCOMPARE(FileBytes(Path("c.dat")), opened);
        Run("actionImport", Path("plan.csv"));
        Run("actionSaveAs", Path("d.dat"));
        QCOMPARE(FileBytes(Path("d.dat")), opened);
        // A choice the user makes over such a code is what goes out.
        Control<QComboBox>(view, "txTimeLimitCombo")->setCurrentIndex(2);
        Control<QComboBox>(view, "powerSaveCombo")->setCurrentIndex(1);
        const MemoryImage chosen = SavedImage("e.dat");
        QCOMPARE(int(chosen[layout::kTxTimeLimitIndex]), 2);
        QCOMPARE(int(chosen[layout::kPowerSaveIndex]), 1);
    }

    // Bits no column shows (a squelch byte's high half, a stray flag) stay as opened when their
    // rows are not edited; a spreadsheet that could not bring them back is refused, naming the
    // cell.
    void bitsNoColumnShowsAreSavedAsOpened() {
        Start();
        MemoryImage image = SavedImage("a.dat");
        image[layout::ChannelOffset(0) + layout::kSquelch] = 0x3A;
        image[layout::ChannelOffset(1) + layout::kSquelch] = 0x21;
        image[layout::ChannelOffset(2) + layout::kFlags] |= 0x08;
        image[layout::kModeByte1] |= 0xE4;  // bits 2, 5, 6 and 7: no setting shows them
        const QByteArray opened = WrittenChannelFile("b.dat", image);
        QVERIFY(!opened.isEmpty());
        Run("actionOpen", Path("b.dat"));
        QVERIFY(!frame->isWindowModified());
        Run("actionSaveAs", Path("c.dat"));
        QCOMPARE(FileBytes(Path("c.dat")), opened);
        // An edit of channel 4 changes its record and the checksum, nothing else.
        view->channelList()->selectRow(3);
        view->OnRowClicked();
        Control<QLineEdit>(view, "rxEdit")->setText(QStringLiteral("225.125"));
        Control<QPushButton>(view, "confirmButton")->click();
        QVERIFY(frame->isWindowModified());
        const MemoryImage edited = SavedImage("e.dat");
        for (std::size_t at = 0; at < kImageSize; ++at) {
            const bool inRecord = at >= layout::ChannelOffset(3) &&
                                  at < layout::ChannelOffset(3) + layout::kChannelRecordSize;
            if (!inRecord && at != layout::kChecksum)
                QVERIFY2(edited[at] == image[at], qPrintable(QString::number(at)));
        }
        const auto record = [](const MemoryImage& bytes) {
            return QByteArray(
                reinterpret_cast<const char*>(bytes.data()) + layout::ChannelOffset(3),
                layout::kChannelRecordSize);
        };
        QVERIFY(record(edited) != record(image));
        Run("actionExport", Path("b.json"));
        QVERIFY(!QFile::exists(Path("b.json")));
        // In the window's own words, as every other message.
        QVERIFY2(LastLine().contains(QStringLiteral("信道1，静噪电平：字节 3A 显示为 \"L10\"")),
                 qPrintable(LastLine()));
    }

    // A JSON export refused for the settings names the setting, or the byte, in the window's
    // words.
    void anExportRefusedForTheSettingsNamesThem() {
        Start();
        const MemoryImage image = SavedImage("a.dat");
        MemoryImage parity = image;
        parity[layout::kModeByte2] |= 0xC0;  // parity code 3: no button
        MemoryImage spareBit = image;
        spareBit[layout::kModeByte1] |= 0x04;
        const std::pair<MemoryImage, QString> cases[] = {
            {parity, QStringLiteral("校验位：代码 3 显示为 0，导入后成为 0")},
            {spareBit, QStringLiteral("设置：第 225 字节为 %1，其中的位 04 没有设置显示")
                           .arg(spareBit[layout::kModeByte1], 2, 16, QLatin1Char('0'))
                           .toUpper()},
        };
        for (const auto& [opened, fault] : cases) {
            QVERIFY(!WrittenChannelFile("b.dat", opened).isEmpty());
            answer = QMessageBox::Discard;
            Run("actionOpen", Path("b.dat"));
            Run("actionExport", Path("b.json"));
            QVERIFY(!QFile::exists(Path("b.json")));
            QVERIFY2(LastLine().endsWith(fault), qPrintable(LastLine()));
        }
    }

    // What is saved is what the window shows: a radio's rate code 0 shows as 4800 and is saved
    // so; a file that fails its checksum shows no channels and saves none.
    void whatIsSavedIsWhatIsShown() {
        MemoryImage image = sim::VirtualRadio::DefaultImage();
        image[layout::ChannelOffset(0) + layout::kFlags] &= 0xCF;
        image[layout::kChecksum] = ImageChecksum(image);
        radio = StartedRadio({}, image);
        StartWindow(frame, view, Device(*radio));
        view->OnRead();
        QCOMPARE(Row(1).section(',', 3, 3), "4800");
        QCOMPARE(SavedImage("r.dat")[layout::ChannelOffset(0) + layout::kFlags] & 0x30, 0x10);
        image[layout::kChecksum] ^= 0xFF;
        const std::vector<std::uint8_t> bytes = ChannelFileBytes(image);
        QFile file(Path("bad.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        file.close();
        Run("actionOpen", Path("bad.dat"));
        const MemoryImage saved = SavedImage("s.dat");
        QVERIFY(DecodeImage(saved, DecodeSource::FromFile).table[0][kColRx].empty());
    }
};

QTEST_MAIN(DocumentTest)
#include "document_test.moc"
