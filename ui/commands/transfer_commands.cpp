#include "transfer_commands.h"

#include <QFileInfo>

#include "app_paths.h"
#include "channel_editor.h"
#include "codec.h"
#include "document.h"
#include "file_commands.h"
#include "image_files.h"
#include "lower_texts.h"
#include "message_log.h"
#include "radio_fields.h"
#include "recent_file_list.h"
#include "view_dialogs.h"

namespace orvel {

namespace {

bool IsTransferFile(FileKind kind) {
    return kind == FileKind::Json || kind == FileKind::Csv;
}

// Why an export would not read back, in the window's language: where, then what.
QString ReadBackFaultText(const ReadBackFault& fault) {
    using Kind = ReadBackFault::Kind;
    const QString bytes = QString::fromStdString(fault.bytes);
    const QString back = QString::fromStdString(fault.back);
    const QString cell = fault.cell.empty()
                             ? TransferCommands::tr("空白")
                             : QStringLiteral("\"%1\"").arg(QString::fromStdString(fault.cell));
    const QString where =
        TransferCommands::tr("信道%1，%2")
            .arg(fault.channel)
            .arg(CoreText(kChannelFields[static_cast<std::size_t>(fault.column)].heading));
    switch (fault.kind) {
        case Kind::Checksum:
            return TransferCommands::tr("校验和：文件中为 %1，算得 %2；导出的文件将没有任何信道")
                .arg(bytes, back);
        case Kind::CellBytes:
            return TransferCommands::tr("%1：字节 %2 显示为 %3，导入后成为 %4")
                .arg(where, bytes, cell, back);
        case Kind::CellRefused:
            return TransferCommands::tr("%1：字节 %2 显示为 %3，导入时不被接受")
                .arg(where, bytes, cell);
        case Kind::SettingCode:
            return TransferCommands::tr("%1：代码 %2 显示为 %3，导入后成为 %4")
                .arg(CoreText(fault.setting->label))
                .arg(fault.code)
                .arg(fault.shownValue)
                .arg(fault.again);
        case Kind::SettingBits:
            return TransferCommands::tr("设置：第 %1 字节为 %2，其中的位 %3 没有设置显示")
                .arg(fault.byte)
                .arg(bytes, back);
        case Kind::NotRead:
            return TransferCommands::tr("导出的文件不能导入：%1")
                .arg(QString::fromStdString(fault.reason));
        case Kind::NotSame:
            break;
    }
    return TransferCommands::tr("导入后不是原来的字节");
}

}  // namespace

TransferCommands::TransferCommands(Document& document, ChannelEditor& editor, FileCommands& files,
                                   MessageLog& log, ViewDialogs& dialogs, RecentFileList& recent)
    : m_document(document),
      m_editor(editor),
      m_files(files),
      m_log(log),
      m_dialogs(dialogs),
      m_recent(recent) {}

void TransferCommands::OnImport() {
    const QString path =
        m_dialogs.transferFile(false, QFileInfo(DefaultChannelFilePath()).absolutePath());
    if (!path.isEmpty())
        ImportPath(path);
}

void TransferCommands::ImportPath(const QString& path) {
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const FileKind kind = KindOf(fullPath.toStdString());
    MemoryImage image{};
    // The detail is orvelctl's own message, so that both programs name a fault alike.
    QString problem;
    if (!IsTransferFile(kind)) {
        problem = tr("只能导入 .json 或 .csv 文件：%1").arg(fullPath);
    } else {
        const ImageFileRead read =
            ReadImageFile(fullPath.toStdString(), m_document.limits(), image, m_limitsFault);
        if (!read.ok)
            problem = QString::fromStdString(read.error);
    }
    if (!problem.isEmpty()) {
        const QString text = tr("导入失败：%1").arg(problem);
        m_log.AppendLog(text);
        m_dialogs.Message(QMessageBox::Warning, kAppTitle, text);
        return;
    }
    // The file is good: it replaces the work, which is asked about first as for 打开.
    if (!m_files.MaySetWorkAside())
        return;
    if (kind == FileKind::Csv) {
        // A spreadsheet holds a channel plan: the settings, header and spare bytes the window
        // has stay as they are.
        DocumentState kept = m_document.state();
        kept.table = DecodeImage(image, DecodeSource::FromFile).table;
        image = kept.encoded();
    }
    m_log.AppendLog(tr("文件导入[%1]").arg(fullPath));
    m_editor.LoadImage(image, DecodeSource::FromFile,
                       tr("导入 %1").arg(QFileInfo(fullPath).fileName()));
    m_recent.Add(fullPath);
}

void TransferCommands::OnExport() {
    const QString path = m_dialogs.transferFile(
        true, QFileInfo(DefaultChannelFilePath()).absolutePath() + QStringLiteral("/orvel.csv"));
    if (path.isEmpty())
        return;
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const FileKind kind = KindOf(fullPath.toStdString());
    if (!IsTransferFile(kind)) {
        m_dialogs.Message(QMessageBox::Warning, kAppTitle,
                          tr("导出失败：只能导出 .json 或 .csv 文件：%1").arg(fullPath));
        return;
    }
    const MemoryImage image = m_document.encoded();
    // A file the tool writes must read back; orvelctl names the same cell in its own words.
    if (ReadBackFault fault; FindTransferFault(kind, image, m_document.limits(), fault)) {
        const QString text = tr("导出失败：这些数据导出后不能原样导入，没有写入文件：%1")
                                 .arg(ReadBackFaultText(fault));
        m_log.AppendLog(text);
        m_dialogs.Message(QMessageBox::Warning, kAppTitle, text);
        return;
    }
    if (!m_files.WriteFileBytes(fullPath, ImageFileBytes(kind, image, m_document.limits())))
        return;
    m_log.AppendLog(tr("文件导出[%1]").arg(fullPath));
    m_recent.Add(fullPath);
    // A JSON file holds the whole configuration and brings it back; a CSV file the channels only.
    if (kind == FileKind::Json)
        m_document.MarkKept();
}

void TransferCommands::OnDropFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    if (paths.size() > 1)
        m_log.AppendLog(tr("一次只能拖入一个文件，只打开第一个：%1").arg(paths.first()));
    OpenOrImport(paths.first());
}

void TransferCommands::OnRecentFile(int index) {
    if (index < 0 || index >= m_recent.paths().size())
        return;
    const QString path = m_recent.paths()[index];
    if (!QFileInfo::exists(path)) {
        m_log.AppendLog(tr("文件不存在，已从最近文件列表中移除：%1").arg(path));
        m_recent.Remove(path);
        return;
    }
    OpenOrImport(path);
}

void TransferCommands::OpenOrImport(const QString& path) {
    const FileKind kind = KindOf(path.toStdString());
    if (kind == FileKind::Dat) {
        m_files.OpenPath(path);
    } else if (IsTransferFile(kind)) {
        ImportPath(path);
    } else {
        m_log.AppendLog(tr("只能打开 .dat 文件或导入 .json、.csv 文件：%1").arg(path));
    }
}

}  // namespace orvel
