// The channel list and the edit panel beside it: the channel number, the frequency texts and
// the four drop-downs, their invalid marks, and the commands that move a channel between the
// panel and its row (click, 确认, 清除, 缺省).
#pragma once

#include <QObject>
#include <QString>

#include "channel_edit.h"
#include "document.h"
#include "edit_history.h"
#include "form_controls.h"
#include "memory_image.h"

class MessageLog;
class SettingsPanel;
struct ViewDialogs;

class ChannelEditor : public QObject {
    Q_OBJECT

public:
    ChannelEditor(const FormControls& controls, SettingsPanel& settings, MessageLog& log,
                  ViewDialogs& dialogs, EditHistory& history);

    // The list's columns, rows and highlight, with the panel's choices empty.
    void SetUpList();
    // The last of the start-up: frequency lengths, colours, and the focus on the list.
    void FinishStart();
    void SetLimits(double minFreq, double maxFreq);

    // Fields <-> controls. fromControls reads every bound control into its field.
    void ExchangeData(bool fromControls);
    // The silent check-and-copy of the edit panel into its row.
    void ApplyPanelToRow();
    // Before a write: asks about an edit not yet confirmed into its row. False: write nothing.
    bool ConfirmPendingEdit();

    // The channel list as a table of cells.
    orvel::ChannelTable Table() const;
    void SetTable(const orvel::ChannelTable& table);
    // The settings panel's current choices, read with the panel's fields.
    orvel::RadioSettings Settings();
    // The list and the settings as they stand (the panel's fields are not read).
    WorkState State() const;
    // Shows decoded settings and the panel's fields.
    void ShowDecoded(const orvel::RadioSettings& settings);
    // A freshly opened file: channel 1, no frequencies, no choices.
    void ResetPanel();
    // The first channel of the list into the panel and back into its row.
    void LoadFirstChannel();

    orvel::EditPanel PanelFromControls();
    void PanelToControls(const orvel::EditPanel& panel);

    // The list, the settings and the panel, for a step of the edit history, and back.
    EditSnapshot Snapshot();
    void Restore(const EditSnapshot& snapshot);
    // The chosen rows of the list, 0-based, in order.
    QList<int> SelectedRows() const;
    // A table changed by a command other than the panel's own (paste, fill): the panel follows
    // its channel's row when that row changed, and keeps an edit in progress otherwise.
    void PutTable(const orvel::ChannelTable& table);

    const orvel::InvalidFlags& invalidFlags() const { return invalid_; }
    int channelNo() const { return m_channelNo; }
    double minFreq() const { return m_minFreq; }
    double maxFreq() const { return m_maxFreq; }
    CHighlightListCtrl* channelList() const { return m_channelList; }

    void OnRowClicked();
    void OnConfirm();
    void OnClear();
    void OnDefault();

private:
    void Confirm();
    void Clear();
    void UpdateColours();
    void RememberPanelAsLoaded();

    SettingsPanel& settingsPanel_;
    MessageLog& log_;
    ViewDialogs& dialogs_;
    EditHistory& history_;

    double m_minFreq = 223.0;
    double m_maxFreq = 235.0;
    orvel::InvalidFlags invalid_;
    // The panel as it was last loaded from its row or confirmed into it: only a panel changed
    // since holds an edit to ask about.
    orvel::EditPanel panelAsLoaded_;
    int m_channelNo = 1;
    QString m_rxFreqText;
    QString m_txFreqText;

    QLineEdit* m_editChannelNo;
    QLineEdit* m_editRx;
    QLineEdit* m_editTx;
    QComboBox* m_comboPower;
    QComboBox* m_comboRate;
    QComboBox* m_comboSquelch;
    QComboBox* m_comboDataVoice;
    CHighlightListCtrl* m_channelList;
};
