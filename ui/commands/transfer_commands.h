// 导入 and 导出 of the JSON and CSV files orvelctl reads and writes, files dropped on the window,
// and the recent files of 文件.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <string>

namespace orvel {

class ChannelEditor;
class FileCommands;
class MessageLog;
class RecentFileList;
class Document;
struct ViewDialogs;

class TransferCommands {
    Q_DECLARE_TR_FUNCTIONS(TransferCommands)

public:
    TransferCommands(Document& document, ChannelEditor& editor, FileCommands& files,
                     MessageLog& log, ViewDialogs& dialogs, RecentFileList& recent);

    // Named in a frequency refused by the configuration's limits (Configuration::limitsFault).
    void setLimitsFault(const std::string& fault) { m_limitsFault = fault; }

    void OnImport();
    void OnExport();
    void OnDropFiles(const QStringList& paths);
    void OnRecentFile(int index);

    // A JSON file replaces the whole configuration; a CSV file only the channels, the window's
    // settings stay. One step of the window's history: the image goes in as 打开 puts it, after
    // the same question about unsaved changes.
    void ImportPath(const QString& path);

private:
    // A .dat opens, a .json or .csv is imported; other files are refused.
    void OpenOrImport(const QString& path);

    Document& m_document;
    ChannelEditor& m_editor;
    FileCommands& m_files;
    MessageLog& m_log;
    ViewDialogs& m_dialogs;
    RecentFileList& m_recent;
    std::string m_limitsFault;
};

}  // namespace orvel
