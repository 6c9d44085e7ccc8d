#include "message_log.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <memory>

#include "gbk.h"

namespace orvel {

MessageLog::MessageLog(QPlainTextEdit* logEdit) : m_editLog(logEdit) {
    QScrollBar* bar = logEdit->verticalScrollBar();
    auto following = std::make_shared<bool>(true);
    QObject::connect(bar, &QScrollBar::valueChanged, logEdit,
                     [bar, following](int value) { *following = value >= bar->maximum(); });
    // A resize or the first show changes how many lines fit, and so the end of the range.
    QObject::connect(bar, &QScrollBar::rangeChanged, logEdit, [bar, following](int, int maximum) {
        if (*following)
            bar->setValue(maximum);
    });
}

QString MessageLog::logText() const {
    // The control keeps plain line breaks; the log is counted as CR LF lines.
    return m_editLog->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void MessageLog::setLogText(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_editLog->setPlainText(plain);
}

void MessageLog::ScrollLogToEnd() {
    QScrollBar* bar = m_editLog->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void MessageLog::AppendLog(const QString& line) {
    QString text = logText();
    if (GbkLength(text.toStdString()) > kLogLimitBytes)
        text.clear();
    setLogText(text + line + QStringLiteral("\r\n"));
    ScrollLogToEnd();
}

void MessageLog::AppendText(const QString& text) {
    setLogText(logText() + text);
    ScrollLogToEnd();
}

void MessageLog::BeginWorkingLog() {
    m_workingLog = logText();
    if (GbkLength(m_workingLog.toStdString()) > kLogLimitBytes)
        m_workingLog.clear();
}

void MessageLog::AddWorkingLine(const QString& text) {
    m_workingLog += text;
    setLogText(m_workingLog);
    ScrollLogToEnd();
}

}  // namespace orvel
