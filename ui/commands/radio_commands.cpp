#include "radio_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <optional>

#include "app_paths.h"
#include "channel_editor.h"
#include "codec.h"
#include "compare_dialog.h"
#include "config_store.h"
#include "configuration.h"
#include "document.h"
#include "exchanges.h"
#include "file_access.h"
#include "image_diff.h"
#include "lower_texts.h"
#include "message_log.h"
#include "painting_pause.h"
#include "port_controller.h"
#include "programming_record.h"
#include "radio_operations.h"
#include "termination_hold.h"
#include "transfer.h"
#include "view_dialogs.h"
#include "write_and_verify.h"

namespace orvel {

namespace {

// The box for a read that did not get the image; the log already has its line.
QString ReadFailureText(ReadStatus status) {
    switch (status) {
        case ReadStatus::NoAnswer:
            return RadioCommands::tr("通信错误");
        case ReadStatus::BadFormat:
            return RadioCommands::tr("格式出错");
        case ReadStatus::Timeout:
            return RadioCommands::tr("接收数据超时");
        case ReadStatus::PortClosed:
        case ReadStatus::Ok:
            break;
    }
    return RadioCommands::tr("串口没有打开，请重新选择串口");
}

// Where a write stopped, for the log: the radio may hold every word before that frame, as
// orvelctl says.
QString WriteStopText(const WriteOutcome& outcome, std::size_t frames) {
    const QString stage = outcome.failedStage == WriteStage::Channel ? RadioCommands::tr("信道数据")
                          : outcome.failedStage == WriteStage::Settings
                              ? RadioCommands::tr("设置数据")
                              : RadioCommands::tr("特殊数据");
    return RadioCommands::tr("写入停在第 %1 帧（共 %2 帧，%3），电台可能已收下此前的各帧")
        .arg(outcome.failedFrame)
        .arg(frames)
        .arg(stage);
}

}  // namespace

RadioCommands::RadioCommands(Document& document, ChannelEditor& editor, PortController& port,
                             MessageLog& log, ViewDialogs& dialogs)
    : m_document(document), m_editor(editor), m_port(port), m_log(log), m_dialogs(dialogs) {
    m_records.setLateLine([this](const QString& line) {
        // During the next exchange it joins that exchange's log, whose next line would
        // otherwise cover it.
        if (m_exchanging)
            m_log.AddWorkingLine(line + QStringLiteral("\r\n"));
        else
            m_log.AppendLog(line);
    });
}

void RadioCommands::Configure(const Configuration& config) {
    m_specialWord = config.specialWord;
    m_verifyWrites = config.verifyWrites;
    m_classicTiming = config.classicTiming;
    m_readFirst = config.readFirst;
    m_compareFirst = config.compareFirst;
    m_records.setConfiguration(config);
}

void RadioCommands::KeepRecord(ProgrammingRecord& record) {
    // The exchange's own result stands whatever becomes of its record.
    for (const QString& line : m_records.keep(record))
        m_log.AppendLog(line);
}

ExchangeHooks RadioCommands::MakeExchangeHooks() {
    m_log.BeginWorkingLog();
    m_exchanging = true;
    ExchangeHooks hooks;
    // The exchanges' lines are the Chinese of orvelctl and the trace; the log shows them in
    // the window's language.
    hooks.line = [this](const Message& line) { m_log.AddWorkingLine(CoreLines(line)); };
    hooks.linkCheckLine = [this](const Message& line) { m_log.AppendText(CoreLines(line)); };
    hooks.progress = [this](int percent) { ShowProgress(percent); };
    hooks.pause = PaintingPause;
    hooks.timing = m_classicTiming ? PollTiming::Classic : PollTiming::Prompt;
    m_port.setExchangeLine([this](std::string_view text) {
        m_log.AddWorkingLine(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    });
    return hooks;
}

void RadioCommands::ShowProgress(int percent) {
    if (!m_progressBar)
        return;
    m_progressBar->setRange(0, 100);
    // Shown first: a visible bar tells the accessibility clients of each new value.
    m_progressBar->show();
    m_progressBar->setValue(percent);
}

void RadioCommands::EndProgress() {
    m_exchanging = false;
    m_port.setExchangeLine(nullptr);
    if (m_progressBar)
        m_progressBar->hide();
}

bool RadioCommands::OnRead() {
    const DocumentState before = m_document.state();
    ProgrammingRecord record = m_records.start(RecordAction::Read, m_port.serialPort());
    const ExchangeHooks hooks = MakeExchangeHooks();
    const ReadOutcome outcome = ReadRadioKeepingCopy(m_port.serialPort(), hooks, [this] {
        // The list empties while the image is on its way.
        DocumentState reading = m_document.state();
        for (int r = 0; r < kChannelCount; ++r)
            ClearRow(reading.table, r + 1);
        m_document.Show(reading);
    });
    EndProgress();
    RecordRead(record, outcome, m_port.serialPort());
    KeepRecord(record);
    // A read that did not get the image takes nothing away: the work comes back as it was.
    m_document.Show(before);
    switch (outcome.status) {
        case ReadStatus::NoAnswer:
            m_dialogs.Message(QMessageBox::Critical, NoticeCaption(), tr("通信错误"));
            return false;
        case ReadStatus::BadFormat:
            m_dialogs.Message(QMessageBox::Critical, NoticeCaption(), tr("格式出错"));
            return false;
        case ReadStatus::PortClosed:
        case ReadStatus::Timeout:
            return false;
        case ReadStatus::Ok:
            break;
    }
    m_editor.LoadImage(outcome.image, DecodeSource::FromRadio, tr("读取电台数据"));
    if (!outcome.checksumOk) {
        m_dialogs.Message(QMessageBox::Critical, NoticeCaption(), tr("数据校验错"));
    }
    return true;
}

MemoryImage RadioCommands::writtenImage() const {
    WriteRequest request;
    request.table = m_document.table();
    request.settings = m_document.settings();
    request.specialWord = m_specialWord;
    return WrittenImage(m_document.encoded(), request);
}

bool RadioCommands::OnWrite() {
    if (!m_editor.ConfirmPendingEdit())
        return false;
    // A unit's plan opened for it is written for that unit without asking again.
    const std::optional<PlanOrigin> origin = m_document.origin();
    std::string unit = origin ? origin->unit : std::string();
    if (unit.empty() && m_records.askUnit()) {
        const std::optional<QString> label = m_dialogs.unitLabel();
        if (!label) {
            m_log.AppendLog(tr("未输入单元标签，没有写入电台"));
            return false;
        }
        unit = label->toStdString();
    }
    WriteRequest request;
    request.table = m_document.table();
    request.settings = m_document.settings();
    request.specialWord = m_specialWord;
    const MemoryImage base = m_document.encoded();
    ProgrammingRecord record = m_records.start(RecordAction::Write, m_port.serialPort(), unit);
    record.planFile = QFileInfo(m_document.filePath()).fileName().toStdString();
    record.planSha256 = Sha256Hex(WrittenImage(base, request));
    if (origin) {
        record.planFile = origin->plan + "@" + std::to_string(origin->version);
        // Edited after it was opened: the record must not pass the bytes off as the plan's.
        if (record.planSha256 != origin->sha256) {
            record.planFile += " (edited)";
            m_log.AppendLog(tr("写入的数据已编辑，不是方案 %1 第 %2 版的原样")
                                .arg(QString::fromStdString(origin->plan))
                                .arg(origin->version));
        }
    }
    const ExchangeHooks hooks = MakeExchangeHooks();
    // The comparison is with what the radio holds, so it reads first whatever 写入前读出备份 says.
    if (m_readFirst || m_compareFirst) {
        std::string held;
        const ReadOutcome radio = ReadBeforeWrite(m_port.serialPort(), hooks, held);
        EndProgress();
        if (radio.status != ReadStatus::Ok) {
            // Without the radio's old configuration kept, it is not overwritten. A port that is
            // not open has said so already, as a write without the read says it.
            RecordRead(record, radio, m_port.serialPort());
            record.outcome = "read before the write: " + record.outcome;
            KeepRecord(record);
            if (radio.status != ReadStatus::PortClosed) {
                const QString line =
                    tr("写入前读出电台失败，没有写入：%1").arg(ReadFailureText(radio.status));
                m_log.AppendLog(line);
                m_dialogs.Message(QMessageBox::Critical, NoticeCaption(), line);
            }
            return false;
        }
        record.radioId = radio.identity;
        record.before = radio.image;
        if (!held.empty()) {
            WriteCheckOutcome stopped;
            stopped.verdict = WriteVerdict::FolderHeld;
            stopped.folderHeld = held;
            RecordWrite(record, stopped, request, m_port.serialPort());
            KeepRecord(record);
            ShowFolderHeld();
            return false;
        }
        if (m_compareFirst && !ConfirmChanges(radio)) {
            m_log.AppendLog(tr("已取消写入，电台保持原样"));
            return false;
        }
    }
    // A log-out waits until the radio holds every word, then ends the program.
    std::optional<TerminationHold> hold(std::in_place);
    const WriteCheckOutcome outcome =
        WriteAndVerify(m_port.serialPort(), base, request, m_verifyWrites, hooks, [&] {
            hold.reset();
            EndProgress();
        });
    EndProgress();
    RecordWrite(record, outcome, request, m_port.serialPort());
    KeepRecord(record);
    // With the check on, the one box at the end says how the check went.
    switch (outcome.verdict) {
        case WriteVerdict::Written:
        case WriteVerdict::Verified:
            m_dialogs.Message(QMessageBox::NoIcon, NoticeCaption(), tr("正确写入数据"));
            return true;
        case WriteVerdict::WriteFailed:
            if (outcome.write.status == WriteStatus::Rejected) {
                m_log.AppendLog(WriteStopText(outcome.write, WriteFrames(request).size()));
                m_dialogs.Message(QMessageBox::Critical, NoticeCaption(), tr("通讯失败"));
            }
            break;
        case WriteVerdict::Mismatch:
            m_dialogs.Message(QMessageBox::Critical, NoticeCaption(),
                              CoreText(VerifyMismatch(outcome.verify->difference->word)));
            break;
        case WriteVerdict::BadChecksum:
            m_dialogs.Message(QMessageBox::Critical, NoticeCaption(),
                              CoreText(lines::kVerifyChecksum));
            break;
        case WriteVerdict::ReadBackFailed:
            m_dialogs.Message(QMessageBox::Critical, NoticeCaption(),
                              tr("校验失败：") + ReadFailureText(outcome.verify->readBack.status));
            break;
        case WriteVerdict::FolderHeld:
            ShowFolderHeld();
            break;
    }
    return false;
}

void RadioCommands::ShowFolderHeld() {
    const QString line = tr("安全副本文件夹 %1 被另一个程序占用（已等待 %2 秒），没有写入电台")
                             .arg(QDir::toNativeSeparators(BackupFolder()))
                             .arg(kFolderLockWait.count());
    m_log.AppendLog(line);
    m_dialogs.Message(QMessageBox::Critical, NoticeCaption(), line);
}

void RadioCommands::OnCurrentChannel() {
    m_dialogs.currentChannel(m_port.serialPort());
}

void RadioCommands::OnCompareRadio() {
    const ExchangeHooks hooks = MakeExchangeHooks();
    const ReadOutcome outcome = ReadRadioKeepingCopy(m_port.serialPort(), hooks);
    EndProgress();
    if (outcome.status != ReadStatus::Ok) {
        if (outcome.status != ReadStatus::PortClosed)
            m_dialogs.Message(QMessageBox::Critical, NoticeCaption(),
                              ReadFailureText(outcome.status));
        return;
    }
    const RadioSettings& shown = m_document.settings();
    const DecodedImage radio =
        DecodeAsShown(outcome.image, DecodeSource::FromRadio, m_document.limits(), shown);
    const std::vector<ConfigDifference> differences =
        CompareConfigurations({m_document.encoded(), m_document.table(), shown},
                              {outcome.image, radio.table, radio.settings});
    if (!outcome.checksumOk)
        m_dialogs.Message(QMessageBox::Critical, NoticeCaption(), tr("数据校验错"));
    m_dialogs.compare(DifferenceLinesShown(differences));
}

void RadioCommands::OnToggleVerify() {
    m_verifyWrites = !m_verifyWrites;
    SaveSetting(kVerifyKey, m_verifyWrites ? "1" : "0");
}

void RadioCommands::OnToggleReadFirst() {
    m_readFirst = !m_readFirst;
    SaveSetting(kReadFirstKey, m_readFirst ? "1" : "0");
}

void RadioCommands::OnToggleCompareFirst() {
    m_compareFirst = !m_compareFirst;
    SaveSetting(kCompareFirstKey, m_compareFirst ? "1" : "0");
}

bool RadioCommands::ConfirmChanges(const ReadOutcome& radio) {
    const RadioSettings& shown = m_document.settings();
    const DecodedImage held =
        DecodeAsShown(radio.image, DecodeSource::FromRadio, m_document.limits(), shown);
    const std::vector<ConfigDifference> differences =
        CompareConfigurations({radio.image, held.table, held.settings},
                              {m_document.encoded(), m_document.table(), shown});
    return m_dialogs.confirmWrite(DifferenceLinesShown(differences));
}

}  // namespace orvel
