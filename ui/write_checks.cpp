// The view's checks around a write and the comparison with the radio: the question about an
// edit not yet confirmed, the read-back after a write, and 与电台比较.
#include <QFileInfo>

#include "app_paths.h"
#include "comparedialog.h"
#include "corveltoolview.h"
#include "exchanges.h"
#include "image_diff.h"
#include "ini_file.h"
#include "transfer.h"
#include "verify_write.h"

using namespace orvel;

namespace {

const QString kNotice = QStringLiteral("提示");

// The box for a read that did not get the image; the log already has its line.
QString ReadFailureText(ReadStatus status) {
    switch (status) {
        case ReadStatus::NoAnswer:
            return QStringLiteral("通信错误");
        case ReadStatus::BadFormat:
            return QStringLiteral("格式出错");
        case ReadStatus::Timeout:
            return QStringLiteral("接收数据超时");
        case ReadStatus::PortClosed:
        case ReadStatus::Ok:
            break;
    }
    return QStringLiteral("串口没有打开，请重新选择串口");
}

}  // namespace

bool COrvelToolView::ConfirmPendingEdit() {
    ExchangeData(true);
    const EditPanel panel = PanelFromControls();
    if (panel == panelAsLoaded_ || PanelMatchesRow(panel, Table()))
        return true;
    const QMessageBox::StandardButton answer =
        Message(QMessageBox::Question, kNotice,
                QStringLiteral("信道%1的修改尚未确认，是否先确认后写入？").arg(panel.channelNo),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    OnConfirm();
    // A failed check leaves the row as it was and the panel different from it.
    return PanelMatchesRow(PanelFromControls(), Table());
}

void COrvelToolView::VerifyAfterWrite(const WriteRequest& request, const ExchangeHooks& hooks) {
    const VerifyOutcome outcome = VerifyWrite(m_serialPort, request, hooks);
    switch (outcome.status) {
        case VerifyStatus::Match:
            Message(QMessageBox::NoIcon, kNotice, QStringLiteral("正确写入数据"));
            return;
        case VerifyStatus::Mismatch:
            Message(QMessageBox::Critical, kNotice,
                    QString::fromStdString(VerifyMismatchLine(outcome.difference->word)).trimmed());
            return;
        case VerifyStatus::BadChecksum:
            Message(QMessageBox::Critical, kNotice,
                    QString::fromUtf8(lines::kVerifyChecksum.data(),
                                      static_cast<qsizetype>(lines::kVerifyChecksum.size()))
                        .trimmed());
            return;
        case VerifyStatus::ReadFailed:
            Message(QMessageBox::Critical, kNotice,
                    QStringLiteral("校验失败：") + ReadFailureText(outcome.readBack.status));
            return;
    }
}

void COrvelToolView::OnCompareRadio() {
    QString workingLog;
    const ExchangeHooks hooks = MakeExchangeHooks(workingLog);
    const ReadOutcome outcome = ReadRadio(m_serialPort, hooks);
    EndProgress();
    if (outcome.status != ReadStatus::Ok) {
        if (outcome.status != ReadStatus::PortClosed)
            Message(QMessageBox::Critical, kNotice, ReadFailureText(outcome.status));
        return;
    }
    KeepBackup(outcome.image, "read");
    hooks.Line(outcome.checksumOk ? lines::kReadDone : lines::kReadDoneBadChecksum);
    const RadioSettings shown = Settings();
    const DecodedImage radio =
        DecodeAsShown(outcome.image, DecodeSource::FromRadio, {m_minFreq, m_maxFreq}, shown);
    const std::vector<ConfigDifference> differences = CompareConfigurations(
        {m_image, Table(), shown}, {outcome.image, radio.table, radio.settings});
    if (!outcome.checksumOk)
        Message(QMessageBox::Critical, kNotice, QStringLiteral("数据校验错"));
    dialogs_.compare(DifferenceLinesChinese(differences));
}

void COrvelToolView::OnToggleVerify() {
    m_verifyWrites = !m_verifyWrites;
    SaveSetting(kVerifyKey, m_verifyWrites ? "1" : "0");
}
