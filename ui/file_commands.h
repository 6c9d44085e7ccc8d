// The channel file commands: 打开, 保存 and 另存为, and the file the window last opened or saved.
#pragma once

#include <QString>

#include "memory_image.h"

class ChannelEditor;
class EditHistory;
class MessageLog;
struct Document;
struct ViewDialogs;

class FileCommands {
public:
    FileCommands(Document& document, ChannelEditor& editor, MessageLog& log, ViewDialogs& dialogs,
                 EditHistory& history);

    const QString& filePath() const { return m_filePath; }

    void OnOpen();
    void OnSave();
    void OnSaveAs();

    // Puts an image from a file into the window as one undoable step named `label`
    // (e.g. "打开 a.dat"): the list, the settings, and channel 1 in the panel. An image whose
    // checksum is wrong shows its list and settings with an empty panel, and says so.
    void LoadImage(const orvel::MemoryImage& image, const QString& label);

private:
    bool WriteImageFile(const QString& path);

    Document& document_;
    ChannelEditor& editor_;
    MessageLog& log_;
    ViewDialogs& dialogs_;
    EditHistory& history_;
    QString m_filePath;
};
