// The commands that talk to the radio: read, write (with its read-back when 写入后校验 is on),
// the current channel, the comparison with the radio, and the progress bar they drive.
#pragma once

#include <QCoreApplication>
#include <string>

#include "memory_image.h"
#include "outcome.h"
#include "radio_records.h"

class QProgressBar;

namespace orvel {

class ChannelEditor;
class Document;
class MessageLog;
class PortController;
struct ViewDialogs;
struct Configuration;
struct ExchangeHooks;

class RadioCommands {
    Q_DECLARE_TR_FUNCTIONS(RadioCommands)

public:
    RadioCommands(Document& document, ChannelEditor& editor, PortController& port, MessageLog& log,
                  ViewDialogs& dialogs);

    void Configure(const orvel::Configuration& config);
    void setProgressBar(QProgressBar* bar) { m_progressBar = bar; }

    bool verifyWrites() const { return m_verifyWrites; }
    bool readFirst() const { return m_readFirst; }
    bool compareFirst() const { return m_compareFirst; }
    const orvel::RadioRecords& records() const { return m_records; }
    bool classicTiming() const { return m_classicTiming; }
    const std::string& specialWord() const { return m_specialWord; }
    // The 260 bytes a write of the document would send now.
    orvel::MemoryImage writtenImage() const;

    // True when the radio's configuration was read, or written (and, with 写入后校验, matched).
    bool OnRead();
    bool OnWrite();
    void OnCurrentChannel();
    void OnCompareRadio();
    void OnToggleVerify();
    void OnToggleReadFirst();
    void OnToggleCompareFirst();

private:
    orvel::ExchangeHooks MakeExchangeHooks();
    void ShowProgress(int percent);
    void EndProgress();
    // What the radio held before the write, as 与电台比较 words it from the radio's side; false
    // when the user would rather not go on.
    bool ConfirmChanges(const orvel::ReadOutcome& radio);
    void KeepRecord(orvel::ProgrammingRecord& record);
    // A write stopped before its first frame: another program held the safety copies' folder.
    void ShowFolderHeld();

    Document& m_document;
    ChannelEditor& m_editor;
    PortController& m_port;
    MessageLog& m_log;
    ViewDialogs& m_dialogs;
    QProgressBar* m_progressBar = nullptr;
    std::string m_specialWord;  // bytes as the INI holds them
    bool m_verifyWrites = true;
    bool m_classicTiming = false;
    bool m_readFirst = true;
    bool m_compareFirst = false;
    bool m_exchanging = false;  // between MakeExchangeHooks() and EndProgress()
    orvel::RadioRecords m_records;
};

}  // namespace orvel
