// The dialogs the window really shows; tests put their own answers in their place.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>

#include "app_paths.h"
#include "compare_dialog.h"
#include "configuration.h"
#include "corveltoolview.h"
#include "current_channel_dialog.h"
#include "fleet_dialog.h"
#include "network_port_dialog.h"
#include "plan_library_dialog.h"
#include "record_dialog.h"
#include "unit_dialog.h"

namespace orvel {

namespace {

// The buttons speak the program's language even where Qt's own translations are missing.
void LabelButtons(QMessageBox& box) {
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(COrvelToolView::tr("确定"));
    if (QAbstractButton* yes = box.button(QMessageBox::Yes))
        yes->setText(COrvelToolView::tr("是(&Y)"));
    if (QAbstractButton* no = box.button(QMessageBox::No))
        no->setText(COrvelToolView::tr("否(&N)"));
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        cancel->setText(COrvelToolView::tr("取消"));
    if (QAbstractButton* save = box.button(QMessageBox::Save))
        save->setText(COrvelToolView::tr("保存(&S)"));
    if (QAbstractButton* discard = box.button(QMessageBox::Discard))
        discard->setText(COrvelToolView::tr("不保存(&N)"));
}

// Without a window manager (a bare X server, some remote desktops) nothing hands the keyboard
// back to the window a dialog came from, and its keys (Ctrl+Y, Alt+Down) would reach no command.
int Shown(QDialog& dialog) {
    const int result = dialog.exec();
    QWidget* window = dialog.parentWidget() != nullptr ? dialog.parentWidget()->window() : nullptr;
    const QWidget* active = QApplication::activeWindow();
    if (window != nullptr && window->isVisible() && (active == nullptr || active == &dialog))
        window->activateWindow();
    return result;
}

}  // namespace

void COrvelToolView::UseShownDialogs() {
    m_dialogs.message = [this](QMessageBox::Icon icon, const QString& caption, const QString& text,
                               QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, caption, text, buttons, this);
        LabelButtons(box);
        return static_cast<QMessageBox::StandardButton>(Shown(box));
    };
    m_dialogs.fileName = [this](bool save, const QString& initialPath) {
        QFileDialog dialog(this);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters({QStringLiteral("*.* (*)"), QStringLiteral("*.dat (*.dat)")});
        dialog.setDirectory(QFileInfo(initialPath).absolutePath());
        dialog.selectFile(QFileInfo(initialPath).fileName());
        if (Shown(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
    m_dialogs.transferFile = [this](bool save, const QString& initialPath) {
        QFileDialog dialog(this);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        const QStringList filters{tr("CSV 信道表 (*.csv)"), tr("JSON 全部设置 (*.json)")};
        dialog.setNameFilters(save ? filters
                                   : QStringList{tr("CSV 或 JSON (*.csv *.json)")} + filters);
        // A name typed without an extension takes that of the chosen kind.
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(filter.contains(QLatin1String("*.json"))
                                        ? QStringLiteral("json")
                                        : QStringLiteral("csv"));
        });
        const QFileInfo initial(initialPath);
        dialog.setDirectory(initial.isDir() ? initialPath : initial.absolutePath());
        if (!initial.isDir())
            dialog.selectFile(initial.fileName());
        if (Shown(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
    m_dialogs.print = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        // Kept on: on Linux this option is the dialog's "print to PDF file" printer.
        return Shown(dialog) == QDialog::Accepted;
    };
    m_dialogs.currentChannel = [this](Port& port) {
        CurrentChannelDialog dialog(&port, this);
        dialog.timing = m_radio.classicTiming() ? PollTiming::Classic : PollTiming::Prompt;
        Shown(dialog);
    };
    m_dialogs.compare = [this](const QStringList& lines) {
        CompareDialog dialog(lines, this);
        Shown(dialog);
    };
    m_dialogs.confirmWrite = [this](const QStringList& lines) {
        CompareDialog dialog(lines, this, CompareDialog::Purpose::BeforeWrite);
        return Shown(dialog) == QDialog::Accepted;
    };
    m_dialogs.unitLabel = [this]() -> std::optional<QString> {
        UnitDialog dialog(this);
        if (Shown(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.label();
    };
    m_dialogs.records = [this](const RecordSettings& settings) -> std::optional<RecordImage> {
        RecordDialog dialog(settings.place, this);
        if (Shown(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.chosenImage();
    };
    m_dialogs.planLibrary = [this](const RecordSettings& settings, const MemoryImage& current,
                                   const QString& suggested) -> std::optional<PlanVersion> {
        PlanLibraryDialog dialog(settings, current, suggested, this);
        if (Shown(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.chosen();
    };
    m_dialogs.fleet = [this](const RecordSettings& settings) {
        FleetDialog dialog(settings, LoadConfigurationFile(ConfigReadPath()), this);
        Shown(dialog);
    };
    m_dialogs.fill = [this](const ChannelTable& table, const FrequencyLimits& limits, int first,
                            int last) -> std::optional<FillPlan> {
        FillDialog dialog(table, limits, first, last, this);
        if (Shown(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.plan();
    };
    m_dialogs.networkPort = [this](const QString& lastUrl) {
        NetworkPortDialog dialog(lastUrl, this);
        return Shown(dialog) == QDialog::Accepted ? dialog.url() : QString();
    };
    m_dialogs.findRadio = [this](std::vector<FindRadioDialog::Port> ports) {
        FindRadioDialog dialog(std::move(ports), &m_port.serialPort(), this);
        return Shown(dialog) == QDialog::Accepted ? dialog.chosenName() : QString();
    };
}

}  // namespace orvel
