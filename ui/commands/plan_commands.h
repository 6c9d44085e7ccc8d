// The plan library in the window: 文件 > 方案库... (open any version, add the document as a plan)
// and 通信 > 按单元写入... (the unit's plan opens as the document, for 写入 to write).
#pragma once

#include <QCoreApplication>
#include <string>

#include "plan_library.h"

namespace orvel {

class ChannelEditor;
class Document;
class FileCommands;
class MessageLog;
class RadioCommands;
struct ViewDialogs;

class PlanCommands {
    Q_DECLARE_TR_FUNCTIONS(PlanCommands)

public:
    PlanCommands(Document& document, ChannelEditor& editor, FileCommands& files,
                 const RadioCommands& radio, MessageLog& log, ViewDialogs& dialogs);

    void OnPlanLibrary();
    // True when the unit's plan is the document now.
    bool OnOpenForUnit();

private:
    bool Open(const PlanVersion& plan, const std::string& unit);
    void Refuse(const QString& line);

    Document& m_document;
    ChannelEditor& m_editor;
    FileCommands& m_files;
    const RadioCommands& m_radio;
    MessageLog& m_log;
    ViewDialogs& m_dialogs;
};

}  // namespace orvel
