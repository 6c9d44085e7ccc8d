// The edit panel beside the channel list: the channel number, the frequency texts and the four
// drop-downs with their invalid marks, bound to the chosen row of the document, and the commands
// that move a channel between the panel and its row (click, 确认, 清除, 缺省).
#pragma once

#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QString>
#include <array>

#include "channel_edit.h"
#include "codec.h"
#include "form_controls.h"
#include "memory_image.h"

namespace orvel {

class Document;
class MessageLog;
struct ViewDialogs;

class ChannelEditor : public QObject {
    Q_OBJECT

public:
    ChannelEditor(const FormControls& controls, Document& document, MessageLog& log,
                  ViewDialogs& dialogs);

    // The list's columns and highlight, with the panel's choices empty.
    void SetUpList();
    // The last of the start-up: frequency lengths, colours, and the focus on the list.
    void FinishStart();

    // Before a write: asks about an edit not yet confirmed into its row. False: write nothing.
    bool ConfirmPendingEdit();
    // The silent check-and-copy of the panel into its row, as one step when it changes the row.
    void ApplyPanelToRow();

    // The one way an image enters the window (a read, 打开, 导入), as one step named `label`:
    // decoded as both programs decode it, with channel 1 in the panel. A file whose checksum
    // fails shows an empty table and panel; false then.
    bool LoadImage(const orvel::MemoryImage& image, orvel::DecodeSource source,
                   const QString& label);
    // Channel `channelNo`'s row into the panel. After a read or an open (`keepChoices`) a
    // drop-down whose cell matches no item keeps what it showed.
    void LoadChannel(int channelNo, bool keepChoices = false);
    // A file whose checksum failed: channel 1, no frequencies, no choices.
    void ResetPanel();

    // The chosen rows of the list, 0-based, in order.
    QList<int> selectedRows() const;
    // Chooses `rows` in the list, the first of them shown in the panel as a click shows it.
    void ChooseRows(const QList<int>& rows);

    const orvel::InvalidFlags& invalidFlags() const { return m_invalid; }
    int channelNo() const { return m_panel.channelNo; }
    CHighlightListCtrl* channelList() const { return m_channelList; }

    void OnRowClicked();
    void OnConfirm();
    void OnClear();
    void OnDefault();

signals:
    // The chosen rows changed (the commands on rows follow them).
    void selectionChanged();

private:
    // The panel as the controls show it, and back.
    orvel::EditPanel Panel() const;
    void ShowPanel(const orvel::EditPanel& panel);
    // The panel now holds its row: only a panel changed since holds an edit to ask about.
    void RememberLoaded();
    // A change of the document made elsewhere (undo, paste, a read): the panel follows its
    // channel's row when that row changed, and keeps an edit in progress otherwise.
    void FollowDocument();
    void ClearPanelChoices();
    // The frequencies' fields, in column order.
    QList<QLineEdit*> Edits() const;
    // The table after a change the panel made, as one step.
    void CommitTable(const QString& label, const orvel::ChannelTable& table);
    void UpdateColours();

    Document& m_document;
    MessageLog& m_log;
    ViewDialogs& m_dialogs;

    orvel::InvalidFlags m_invalid;
    orvel::EditPanel m_panel;  // the channel number; the other fields live in the controls
    orvel::EditPanel m_panelAsLoaded;
    orvel::ChannelRow m_rowAsLoaded;  // the panel's row when it was loaded or confirmed

    QLineEdit* m_editChannelNo;
    std::array<QLineEdit*, orvel::kTableColumns> m_edits;   // the frequencies' fields
    std::array<QComboBox*, orvel::kTableColumns> m_combos;  // the lists' drop-downs
    CHighlightListCtrl* m_channelList;
};

}  // namespace orvel
