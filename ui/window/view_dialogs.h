// What the user sees through dialogs; tests replace these to answer them.
#pragma once

#include <QCoreApplication>
#include <QMessageBox>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "fill_dialog.h"
#include "find_radio_dialog.h"
#include "plan_library.h"
#include "record_dialog.h"
#include "record_settings.h"

namespace orvel {

class Port;

// The captions of the program's message boxes. The notice is looked up when a box is shown, in
// the language installed by then.
inline const QString kAppTitle = QStringLiteral("OrvelTool");
inline QString NoticeCaption() {
    return QCoreApplication::translate("ViewDialogs", "提示");
}

struct ViewDialogs {
    std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString& caption,
                                              const QString& text, QMessageBox::StandardButtons)>
        message;
    std::function<QString(bool save, const QString& initialPath)> fileName;
    // The same for 导入 and 导出: JSON and CSV files.
    std::function<QString(bool save, const QString& initialPath)> transferFile;
    std::function<bool(QPrinter&)> print;
    std::function<void(orvel::Port&)> currentChannel;
    std::function<void(const QStringList& lines)> compare;  // 与电台比较's result
    // 写入前比较: what the write will change on the radio; true to go on with it.
    std::function<bool(const QStringList& lines)> confirmWrite;
    // AskUnit=1: the unit's label for the write's record; nothing when cancelled.
    std::function<std::optional<QString>()> unitLabel;
    // 编程记录...: the image chosen there to open as a document, or nothing.
    std::function<std::optional<orvel::RecordImage>(const orvel::RecordSettings&)> records;
    // 方案库...: the version chosen to open as a document, or nothing; `current` is what a write
    // of the document would send, to add as a plan under a name starting from `suggested`.
    std::function<std::optional<orvel::PlanVersion>(
        const orvel::RecordSettings&, const orvel::MemoryImage& current, const QString& suggested)>
        planLibrary;
    // 机群状态...: the units and their states, checked and brought into line there.
    std::function<void(const orvel::RecordSettings&)> fleet;
    // The finder: returns the name of the port chosen, or nothing.
    std::function<QString(std::vector<FindRadioDialog::Port>)> findRadio;
    // 网络串口...: the URL chosen, starting from the one used last; empty when cancelled.
    std::function<QString(const QString& lastUrl)> networkPort;
    // 批量设置: the plan chosen for channels first..last of the table, or nothing.
    std::function<std::optional<FillPlan>(const orvel::ChannelTable&, const orvel::FrequencyLimits&,
                                          int first, int last)>
        fill;

    QMessageBox::StandardButton Message(QMessageBox::Icon icon, const QString& caption,
                                        const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok) {
        return message(icon, caption, text, buttons);
    }
};

}  // namespace orvel
