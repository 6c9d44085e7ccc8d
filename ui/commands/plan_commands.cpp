#include "plan_commands.h"

#include <QFileInfo>
#include <memory>

#include "channel_editor.h"
#include "document.h"
#include "echo_text.h"
#include "file_commands.h"
#include "message_log.h"
#include "radio_commands.h"
#include "record_store.h"
#include "view_dialogs.h"

namespace orvel {

namespace {

QString Shown(const std::string& text) {
    return QString::fromStdString(EscapeControls(text));
}

}  // namespace

PlanCommands::PlanCommands(Document& document, ChannelEditor& editor, FileCommands& files,
                           const RadioCommands& radio, MessageLog& log, ViewDialogs& dialogs)
    : m_document(document),
      m_editor(editor),
      m_files(files),
      m_radio(radio),
      m_log(log),
      m_dialogs(dialogs) {}

void PlanCommands::OnPlanLibrary() {
    const QString suggested = m_document.origin()
                                  ? QString::fromStdString(m_document.origin()->plan)
                                  : QFileInfo(m_document.filePath()).completeBaseName();
    const std::optional<PlanVersion> chosen =
        m_dialogs.planLibrary(m_radio.records().settings(), m_radio.writtenImage(), suggested);
    if (chosen)
        Open(*chosen, {});
}

bool PlanCommands::OnOpenForUnit() {
    const std::optional<QString> label = m_dialogs.unitLabel();
    if (!label)
        return false;
    const std::string unit = label->toStdString();
    std::unique_ptr<RecordStore> store;
    std::optional<UnitAssignment> assignment;
    const Status found =
        OpenRecordsForReading(m_radio.records().settings().place).Into(store).Then([&] {
            return store->Unit(unit).Into(assignment);
        });
    if (!found) {
        Refuse(tr("无法取得单元 %1 的方案：%2")
                   .arg(Shown(unit), QString::fromStdString(found.error())));
        return false;
    }
    if (!assignment) {
        Refuse(tr("单元 %1 没有分配方案，没有打开").arg(Shown(unit)));
        return false;
    }
    PlanVersion plan;
    if (const Status fetched = store->Plan(assignment->plan).Into(plan); !fetched) {
        Refuse(tr("无法取得单元 %1 的方案：%2")
                   .arg(Shown(unit), QString::fromStdString(fetched.error())));
        return false;
    }
    return Open(plan, unit);
}

bool PlanCommands::Open(const PlanVersion& plan, const std::string& unit) {
    if (!m_files.MaySetWorkAside())
        return false;
    const QString name = tr("方案 %1 第 %2 版").arg(Shown(plan.name)).arg(plan.version);
    if (!m_editor.LoadImage(plan.image, DecodeSource::FromFile, tr("打开 %1").arg(name))) {
        Refuse(tr("%1 的数据校验错，没有打开").arg(name));
        return false;
    }
    // It is in the library already: nothing to save before it is set aside.
    m_document.setOrigin({unit, plan.name, plan.version, plan.sha256});
    m_document.MarkKept();
    m_log.AppendLog(unit.empty() ? tr("打开 %1（没有文件）").arg(name)
                                 : tr("打开 %1（单元 %2）").arg(name, Shown(unit)));
    return true;
}

void PlanCommands::Refuse(const QString& line) {
    m_log.AppendLog(line);
    m_dialogs.Message(QMessageBox::Warning, NoticeCaption(), line);
}

}  // namespace orvel
