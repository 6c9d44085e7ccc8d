// 导入 and 导出 of the JSON and CSV files orvelctl reads and writes, files dropped on the window,
// and the recent files of 文件.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <string>

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
    void SetLimitsFault(const std::string& fault) { limitsFault_ = fault; }

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

    Document& document_;
    ChannelEditor& editor_;
    FileCommands& files_;
    MessageLog& log_;
    ViewDialogs& dialogs_;
    RecentFileList& recent_;
    std::string limitsFault_;
};
