// 打印 and 打印设置: the channel report drawn on the printer the user chose.
#pragma once

#include <QCoreApplication>
#include <QPrinter>
#include <QString>

class QWidget;

namespace orvel {

class Document;
class MessageLog;
struct ViewDialogs;

class PrintCommands {
    Q_DECLARE_TR_FUNCTIONS(PrintCommands)

public:
    PrintCommands(const Document& document, MessageLog& log, ViewDialogs& dialogs);

    QPrinter& printer() { return m_printer; }

    void OnPrint();
    // `parent` carries the setup dialog.
    void OnPrintSetup(QWidget* parent);
    // Runs the print path into a PDF file instead of the print dialog's choice.
    bool PrintToPdf(const QString& pdfPath);

private:
    void PaintReport(QPrinter& printer);

    const Document& m_document;
    MessageLog& m_log;
    ViewDialogs& m_dialogs;
    QPrinter m_printer{QPrinter::HighResolution};
};

}  // namespace orvel
