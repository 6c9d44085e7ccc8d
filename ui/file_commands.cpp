#include "file_commands.h"

#include <QDir>
#include <QFileInfo>

#include "app_paths.h"
#include "channel_editor.h"
#include "channel_file.h"
#include "codec.h"
#include "document.h"
#include "file_access.h"
#include "file_operations.h"
#include "message_log.h"
#include "view_dialogs.h"

using namespace orvel;

namespace {

QString OpenFailureText(ReadFault fault, const std::string& error) {
    switch (fault) {
        case ReadFault::NotRegularFile:
            return FileCommands::tr("读文件出错：这不是普通文件，不能打开");
        case ReadFault::TooLarge:
            return FileCommands::tr("读文件出错：文件太大，最大 %1")
                .arg(QString::fromStdString(SizeText(kMaxInputFileSize)));
        case ReadFault::ReadError:
            return FileCommands::tr("读文件出错：%1").arg(QString::fromStdString(error));
        case ReadFault::None:
        case ReadFault::CannotOpen:
            break;
    }
    return FileCommands::tr("试图越过其尾端对 一未命名文件 进行读写。");
}

}  // namespace

FileCommands::FileCommands(Document& document, ChannelEditor& editor, MessageLog& log,
                           ViewDialogs& dialogs)
    : document_(document), editor_(editor), log_(log), dialogs_(dialogs) {}

void FileCommands::OnOpen() {
    const QString path = dialogs_.fileName(false, DefaultChannelFilePath());
    if (path.isEmpty())
        return;
    std::vector<std::uint8_t> data;
    std::string error;
    ReadFault fault = ReadFault::None;
    ReadChannelFileHead(path.toStdString(), data, error, &fault);
    if (fault == ReadFault::CannotOpen)
        return;  // a file that cannot be opened is passed over silently
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    log_.AppendLog(tr("文件打开[%1]").arg(fullPath));
    const ChannelFileContent content = ImageFromChannelFile(data);
    if (fault != ReadFault::None || !content.complete) {
        // A short or unreadable file is refused whole: nothing of it is mixed into the image.
        dialogs_.Message(QMessageBox::NoIcon, kAppTitle, OpenFailureText(fault, error));
        return;
    }
    m_filePath = fullPath;
    document_.m_image = content.image;
    const DecodedImage decoded =
        DecodeImage(document_.m_image, DecodeSource::FromFile, editor_.Settings());
    editor_.SetTable(decoded.table);
    editor_.ResetPanel();
    editor_.ShowDecoded(decoded.settings);
    if (!decoded.checksumOk) {
        log_.AppendLog(tr("数据校验错"));
        dialogs_.Message(QMessageBox::NoIcon, NoticeCaption(), tr("数据校验错"));
        return;
    }
    editor_.LoadFirstChannel();
}

bool FileCommands::WriteImageFile(const QString& path) {
    const std::vector<std::uint8_t> bytes = ChannelFileBytes(document_.m_image);
    SaveOutcome outcome = SaveFileKeepingCopy(path.toStdString(), bytes);
    // The bytes a save replaces go to the safety copies first; without that copy they stay
    // unless the user says otherwise.
    if (outcome.status == SaveStatus::NoSafetyCopy) {
        if (dialogs_.Message(QMessageBox::Question, kAppTitle,
                             tr("无法保留原文件的副本，仍然保存？\n%1\n%2")
                                 .arg(path, QString::fromStdString(outcome.error)),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
            return false;
        }
        outcome = SaveFileKeepingCopy(path.toStdString(), bytes, true);
    }
    if (outcome.status == SaveStatus::Saved)
        return true;
    const QString text =
        QFileInfo(path).absoluteDir().exists()
            ? tr("文件保存失败：%1\n%2").arg(path, QString::fromStdString(outcome.error))
            : tr("文件没有发现");
    dialogs_.Message(QMessageBox::Warning, kAppTitle, text);
    return false;
}

void FileCommands::OnSaveAs() {
    const QString path = dialogs_.fileName(true, DefaultChannelFilePath());
    if (path.isEmpty())
        return;
    EncodeImage(editor_.Table(), editor_.Settings(), document_.m_image);
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (!WriteImageFile(fullPath))
        return;
    log_.AppendLog(tr("文件保存 [%1]").arg(fullPath));
    m_filePath = fullPath;
}

void FileCommands::OnSave() {
    // A safety copy opened and saved in place would carry the user's work under a copy's name.
    if (!m_filePath.isEmpty() && InBackupFolder(m_filePath)) {
        OnSaveAs();
        return;
    }
    if (dialogs_.Message(QMessageBox::Question, NoticeCaption(), tr("要保存当前文件吗?"),
                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    if (m_filePath.isEmpty())
        return;
    EncodeImage(editor_.Table(), editor_.Settings(), document_.m_image);
    if (!WriteImageFile(m_filePath))
        return;
    log_.AppendLog(tr("文件保存[%1]").arg(m_filePath));
}
