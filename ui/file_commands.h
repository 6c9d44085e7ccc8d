// The channel file commands: 打开, 保存 and 另存为, and the file the window last opened or saved.
#pragma once

#include <QCoreApplication>
#include <QString>

class ChannelEditor;
class MessageLog;
struct Document;
struct ViewDialogs;

class FileCommands {
    Q_DECLARE_TR_FUNCTIONS(FileCommands)

public:
    FileCommands(Document& document, ChannelEditor& editor, MessageLog& log, ViewDialogs& dialogs);

    const QString& filePath() const { return m_filePath; }

    void OnOpen();
    void OnSave();
    void OnSaveAs();

private:
    bool WriteImageFile(const QString& path);

    Document& document_;
    ChannelEditor& editor_;
    MessageLog& log_;
    ViewDialogs& dialogs_;
    QString m_filePath;
};
