#include "file_commands.h"

#include <QCoreApplication>
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
#include "recent_file_list.h"
#include "view_dialogs.h"

namespace orvel {

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
                           ViewDialogs& dialogs, RecentFileList& recent)
    : m_document(document), m_editor(editor), m_log(log), m_dialogs(dialogs), m_recent(recent) {}

void FileCommands::OnOpen() {
    const QString path = m_dialogs.fileName(false, DefaultChannelFilePath());
    if (!path.isEmpty())
        OpenPath(path);
}

void FileCommands::OpenPath(const QString& path) {
    std::vector<std::uint8_t> data;
    std::string error;
    ReadFault fault = ReadFault::None;
    ReadChannelFileHead(path.toStdString(), data, error, &fault);
    if (fault == ReadFault::CannotOpen)
        return;  // a file that cannot be opened is passed over silently
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const ChannelFileContent content = ImageFromChannelFile(data);
    const bool refused = fault != ReadFault::None || !content.complete;
    // A file that is refused changes nothing, so there is nothing to ask about.
    if (!refused && !MaySetWorkAside())
        return;
    m_log.AppendLog(tr("文件打开[%1]").arg(fullPath));
    if (refused) {
        // A short or unreadable file is refused whole: nothing of it is mixed into the image.
        m_dialogs.Message(QMessageBox::NoIcon, kAppTitle, OpenFailureText(fault, error));
        return;
    }
    m_document.setFilePath(fullPath);
    m_recent.Add(fullPath);
    const bool checksumOk = m_editor.LoadImage(content.image, DecodeSource::FromFile,
                                               tr("打开 %1").arg(QFileInfo(fullPath).fileName()));
    m_document.MarkKept();
    if (!checksumOk) {
        m_log.AppendLog(tr("数据校验错"));
        m_dialogs.Message(QMessageBox::NoIcon, NoticeCaption(), tr("数据校验错"));
    }
}

bool FileCommands::WriteFileBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    SaveOutcome outcome = SaveFileKeepingCopy(path.toStdString(), bytes);
    // The bytes a save replaces go to the safety copies first; without that copy they stay
    // unless the user says otherwise.
    if (outcome.status == SaveStatus::NoSafetyCopy) {
        if (m_dialogs.Message(QMessageBox::Question, kAppTitle,
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
    m_dialogs.Message(QMessageBox::Warning, kAppTitle, text);
    return false;
}

void FileCommands::OnSaveAs() {
    SaveAs();
}

bool FileCommands::SaveAs() {
    const QString path = m_dialogs.fileName(true, DefaultChannelFilePath());
    if (path.isEmpty())
        return false;
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (!WriteFileBytes(fullPath, ChannelFileBytes(m_document.encoded())))
        return false;
    m_log.AppendLog(tr("文件保存 [%1]").arg(fullPath));
    m_document.setFilePath(fullPath);
    m_recent.Add(fullPath);
    m_document.MarkKept();
    return true;
}

void FileCommands::OnSave() {
    // A safety copy opened and saved in place would carry the user's work under a copy's name.
    const QString& filePath = m_document.filePath();
    if (!filePath.isEmpty() && InBackupFolder(filePath)) {
        SaveAs();
        return;
    }
    if (m_dialogs.Message(QMessageBox::Question, NoticeCaption(), tr("要保存当前文件吗?"),
                          QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    if (!filePath.isEmpty())
        SaveToCurrentFile();
}

bool FileCommands::SaveToCurrentFile() {
    const QString path = m_document.filePath();
    if (!WriteFileBytes(path, ChannelFileBytes(m_document.encoded())))
        return false;
    m_log.AppendLog(tr("文件保存[%1]").arg(path));
    m_recent.Add(path);
    m_document.MarkKept();
    return true;
}

bool FileCommands::MaySetWorkAside() {
    if (!m_document.isModified())
        return true;
    const QMessageBox::StandardButton answer =
        m_dialogs.Message(QMessageBox::Question, kAppTitle, tr("是否保存对信道数据的修改？"),
                          QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    // 取消 (and Escape) stays; 不保存 goes on without saving.
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer != QMessageBox::Save)
        return true;
    // A safety copy is never saved over (see OnSave).
    const QString& filePath = m_document.filePath();
    return filePath.isEmpty() || InBackupFolder(filePath) ? SaveAs() : SaveToCurrentFile();
}

}  // namespace orvel
