// The channel file commands: 打开, 保存 and 另存为, the file the window last opened or saved, and
// the guard against losing work: the state last saved, written or read, and the question before
// work that differs from it is set aside.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <vector>

#include "document.h"

#include "memory_image.h"

class ChannelEditor;
class EditHistory;
class MessageLog;
class RecentFileList;
struct ViewDialogs;

class FileCommands {
    Q_DECLARE_TR_FUNCTIONS(FileCommands)

public:
    FileCommands(Document& document, ChannelEditor& editor, MessageLog& log, ViewDialogs& dialogs,
                 EditHistory& history, RecentFileList& recent);

    const QString& filePath() const { return m_filePath; }

    void OnOpen();
    void OnSave();
    void OnSaveAs();
    // 打开 of a chosen file: asks first about unsaved changes.
    void OpenPath(const QString& path);

    // The one way an image from a file enters the window (打开 and 导入), as one undoable step
    // named `label` (e.g. "打开 a.dat"): the list, the settings, and channel 1 in the panel.
    // False when its checksum does not match: the list and settings show with an empty panel.
    bool LoadImage(const orvel::MemoryImage& image, const QString& label);

    // Replaces `path` with `bytes`, its old bytes among the safety copies first; asks to go on
    // without that copy and reports a failure. True when written.
    bool WriteFileBytes(const QString& path, const std::vector<std::uint8_t>& bytes);

    // Changes neither saved to a file nor written to the radio.
    bool IsModified() const;
    // The window's work as it stands is now kept (saved, written, opened, read).
    void MarkKept();
    // Before the work is set aside (closing, opening, reading): with changes, asks whether to
    // save them. False: the user chose to stay, or the save failed or was cancelled.
    bool MaySetWorkAside();

private:
    bool SaveAs();
    bool SaveToCurrentFile();

    Document& document_;
    ChannelEditor& editor_;
    MessageLog& log_;
    ViewDialogs& dialogs_;
    EditHistory& history_;
    RecentFileList& recent_;
    QString m_filePath;
    WorkState kept_;
};
