#include "print_commands.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>

#include "document.h"
#include "language.h"
#include "lower_texts.h"
#include "message_log.h"
#include "report.h"
#include "view_dialogs.h"

namespace orvel {

PrintCommands::PrintCommands(const Document& document, MessageLog& log, ViewDialogs& dialogs)
    : m_document(document), m_log(log), m_dialogs(dialogs) {}

void PrintCommands::OnPrint() {
    if (!m_dialogs.print(m_printer))
        return;
    PaintReport(m_printer);
}

void PrintCommands::PaintReport(QPrinter& printer) {
    // English names are longer than the Chinese ones: the words start further right.
    constexpr int kTranslatedValueX = 1600;
    const ReportLanguage language =
        CurrentLanguage() == UiLanguage::Chinese
            ? ReportLanguage{}
            : ReportLanguage{[](std::string_view text) { return CoreTextUtf8(text); },
                             kTranslatedValueX};
    const Report report = BuildReport(m_document.table(), m_document.settings(), language);
    printer.setDocName(QString::fromStdString(report.jobName));
    // The layout is in device dots at 600 dpi: it fills an A4 page.
    printer.setResolution(600);
    printer.setFullPage(false);
    QPainter painter;
    const bool started = painter.begin(&printer);
    m_log.AppendLog(tr("***打印开始***"));
    if (started) {
        for (const ReportText& item : report.items) {
            painter.drawText(QRect(item.x, item.y, 4000, 400),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             QString::fromStdString(item.text));
        }
        painter.end();
    }
    m_log.AppendLog(tr("***打印结束***"));
}

bool PrintCommands::PrintToPdf(const QString& pdfPath) {
    m_printer.setOutputFormat(QPrinter::PdfFormat);
    m_printer.setOutputFileName(pdfPath);
    m_printer.setPageSize(QPageSize(QPageSize::A4));
    const auto saved = m_dialogs.print;
    m_dialogs.print = [](QPrinter&) { return true; };
    OnPrint();
    m_dialogs.print = saved;
    return QFileInfo(pdfPath).size() > 0;
}

void PrintCommands::OnPrintSetup(QWidget* parent) {
    // The printer chosen here is the one the print command starts from.
    QPrintDialog dialog(&m_printer, parent);
    dialog.setWindowTitle(tr("打印设置"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.exec();
}

}  // namespace orvel
