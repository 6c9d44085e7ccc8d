// The channel file commands: 打开, 保存 and 另存为, the file the window last opened or saved, and
// the guard against losing work: the state last saved, written or read, and the question before
// work that differs from it is set aside.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <vector>

#include "codec.h"
#include "memory_image.h"

namespace orvel {

class ChannelEditor;
class Document;
class MessageLog;
class RecentFileList;
struct ViewDialogs;

class FileCommands {
    Q_DECLARE_TR_FUNCTIONS(FileCommands)

public:
    FileCommands(Document& document, ChannelEditor& editor, MessageLog& log, ViewDialogs& dialogs,
                 RecentFileList& recent);

    void OnOpen();
    void OnSave();
    void OnSaveAs();
    // 打开 of a chosen file: asks first about unsaved changes.
    void OpenPath(const QString& path);

    // Replaces `path` with `bytes`, its old bytes among the safety copies first; asks to go on
    // without that copy and reports a failure. True when written.
    bool WriteFileBytes(const QString& path, const std::vector<std::uint8_t>& bytes);

    // Before the work is set aside (closing, opening, reading): with changes, asks whether to
    // save them. False: the user chose to stay, or the save failed or was cancelled.
    bool MaySetWorkAside();

private:
    bool SaveAs();
    bool SaveToCurrentFile();

    Document& m_document;
    ChannelEditor& m_editor;
    MessageLog& m_log;
    ViewDialogs& m_dialogs;
    RecentFileList& m_recent;
};

}  // namespace orvel
