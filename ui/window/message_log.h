// The log control under the list: lines ending in "\r\n", started again empty once the text
// passes 2048 GBK bytes, always scrolled to its end.
#pragma once

#include <QString>

class QPlainTextEdit;

namespace orvel {

class MessageLog {
public:
    // Keeps the newest line whole in view while the log is at its end, also when the log is
    // resized or first shown; a user who scrolled back is left where they are.
    explicit MessageLog(QPlainTextEdit* logEdit);

    // Adds a line and "\r\n"; a log over 2048 bytes starts again empty first.
    void AppendLog(const QString& line);
    // Adds text as it stands, with no limit applied.
    void AppendText(const QString& text);
    // The log text as the edit control holds it, lines ending in "\r\n".
    QString logText() const;
    void setLogText(const QString& text);
    void ScrollLogToEnd();

    // An exchange's log: the log as it stood when the exchange began (emptied when over the
    // limit) with each of the exchange's lines added; what else joined the control meanwhile
    // is replaced by it on the next line.
    void BeginWorkingLog();
    void AddWorkingLine(const QString& text);

private:
    QPlainTextEdit* m_editLog;
    QString m_workingLog;
};

}  // namespace orvel
