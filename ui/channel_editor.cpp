#include "channel_editor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "chighlightlistctrl.h"
#include "lower_texts.h"
#include "message_log.h"
#include "radio_fields.h"
#include "settings_panel.h"
#include "view_dialogs.h"

using namespace orvel;

ChannelEditor::ChannelEditor(const FormControls& controls, SettingsPanel& settings, MessageLog& log,
                             ViewDialogs& dialogs, EditHistory& history)
    : settingsPanel_(settings),
      log_(log),
      dialogs_(dialogs),
      history_(history),
      m_editChannelNo(controls.channelNoEdit),
      m_editRx(controls.rxEdit),
      m_editTx(controls.txEdit),
      m_comboPower(controls.powerCombo),
      m_comboRate(controls.rateCombo),
      m_comboSquelch(controls.squelchCombo),
      m_comboDataVoice(controls.dataVoiceCombo),
      m_channelList(controls.channelList) {
    connect(m_channelList, &CHighlightListCtrl::rowClicked, this, &ChannelEditor::OnRowClicked);
    connect(controls.confirmButton, &QPushButton::clicked, this, &ChannelEditor::OnConfirm);
    connect(controls.clearButton, &QPushButton::clicked, this, &ChannelEditor::OnClear);
    // Enter in a frequency field confirms, as the mouse user clicks 确认.
    connect(m_editRx, &QLineEdit::returnPressed, this, &ChannelEditor::OnConfirm);
    connect(m_editTx, &QLineEdit::returnPressed, this, &ChannelEditor::OnConfirm);
}

void ChannelEditor::SetUpList() {
    m_channelList->SetHighlightMode(CHighlightListCtrl::kHighlightRow);
    static const int kWidths[kTableColumns] = {48, 60, 60, 60, 60, 70, 60};
    m_channelList->setColumnCount(kTableColumns);
    m_channelList->setRowCount(kChannelCount);
    for (int c = 0; c < kTableColumns; ++c) {
        auto* head =
            new QTableWidgetItem(CoreText(kChannelFields[static_cast<std::size_t>(c)].heading));
        head->setTextAlignment(Qt::AlignCenter);
        m_channelList->setHorizontalHeaderItem(c, head);
    }
    m_channelList->SetColumnWidths(QList<int>(std::begin(kWidths), std::end(kWidths)));
    m_channelList->SetDisplayText([](const QString& cell) { return CoreText(cell.toStdString()); });
    SetTable(EmptyChannelTable());

    for (QComboBox* combo : {m_comboRate, m_comboSquelch, m_comboPower, m_comboDataVoice}) {
        combo->setCurrentIndex(-1);
    }
}

void ChannelEditor::FinishStart() {
    m_editRx->setMaxLength(8);
    m_editTx->setMaxLength(8);
    UpdateColours();
    m_channelList->setFocus();
}

void ChannelEditor::SetLimits(double minFreq, double maxFreq) {
    m_minFreq = minFreq;
    m_maxFreq = maxFreq;
}

// --- fields and controls ---------------------------------------------------------------

void ChannelEditor::ExchangeData(bool fromControls) {
    if (fromControls) {
        m_channelNo = m_editChannelNo->text().trimmed().toInt();
        m_rxFreqText = m_editRx->text();
        m_txFreqText = m_editTx->text();
    } else {
        m_editChannelNo->setText(QString::number(m_channelNo));
        if (m_editRx->text() != m_rxFreqText)
            m_editRx->setText(m_rxFreqText);
        if (m_editTx->text() != m_txFreqText)
            m_editTx->setText(m_txFreqText);
    }
}

ChannelTable ChannelEditor::Table() const {
    ChannelTable table;
    for (int r = 0; r < kChannelCount; ++r) {
        for (int c = 0; c < kTableColumns; ++c) {
            const QTableWidgetItem* item = m_channelList->item(r, c);
            table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                item ? item->text().toStdString() : std::string();
        }
    }
    return table;
}

void ChannelEditor::SetTable(const ChannelTable& table) {
    for (int r = 0; r < kChannelCount; ++r) {
        for (int c = 0; c < kTableColumns; ++c) {
            const QString text = QString::fromStdString(
                table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
            QTableWidgetItem* item = m_channelList->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                m_channelList->setItem(r, c, item);
            }
            if (item->text() != text)
                item->setText(text);
            // A screen reader speaks a value with its column, "接收频率 223.025"; the label
            // column names itself. Table() reads the text, which stays as it is.
            const QTableWidgetItem* head = m_channelList->horizontalHeaderItem(c);
            const QString spoken =
                c == 0 || !head ? text : (head->text() + QLatin1Char(' ') + text).trimmed();
            if (item->data(Qt::AccessibleTextRole).toString() != spoken)
                item->setData(Qt::AccessibleTextRole, spoken);
        }
    }
}

RadioSettings ChannelEditor::Settings() {
    ExchangeData(true);
    return settingsPanel_.Settings();
}

WorkState ChannelEditor::State() const {
    return {Table(), settingsPanel_.Settings()};
}

void ChannelEditor::ShowDecoded(const RadioSettings& s) {
    settingsPanel_.Show(s);
    ExchangeData(false);
}

void ChannelEditor::ResetPanel() {
    for (QComboBox* combo : {m_comboPower, m_comboRate, m_comboSquelch, m_comboDataVoice}) {
        combo->setCurrentIndex(-1);
    }
    m_channelNo = 1;
    m_rxFreqText.clear();
    m_txFreqText.clear();
}

void ChannelEditor::LoadFirstChannel() {
    EditPanel panel = PanelFromControls();
    LoadFirstChannelIntoPanel(Table(), panel);
    PanelToControls(panel);
    ApplyPanelToRow();
}

EditPanel ChannelEditor::PanelFromControls() {
    EditPanel panel;
    panel.channelNo = m_channelNo;
    panel.rxText = m_rxFreqText.toStdString();
    panel.txText = m_txFreqText.toStdString();
    panel.power = m_comboPower->currentIndex();
    panel.rate = m_comboRate->currentIndex();
    panel.squelch = m_comboSquelch->currentIndex();
    panel.dataVoice = m_comboDataVoice->currentIndex();
    return panel;
}

void ChannelEditor::PanelToControls(const EditPanel& panel) {
    m_channelNo = panel.channelNo;
    m_rxFreqText = QString::fromStdString(panel.rxText);
    m_txFreqText = QString::fromStdString(panel.txText);
    m_comboPower->setCurrentIndex(panel.power);
    m_comboRate->setCurrentIndex(panel.rate);
    m_comboSquelch->setCurrentIndex(panel.squelch);
    m_comboDataVoice->setCurrentIndex(panel.dataVoice);
    ExchangeData(false);
}

EditSnapshot ChannelEditor::Snapshot() {
    ExchangeData(true);
    return {State(), PanelFromControls(), panelAsLoaded_, invalid_};
}

void ChannelEditor::Restore(const EditSnapshot& snapshot) {
    SetTable(snapshot.work.table);
    settingsPanel_.Show(snapshot.work.settings);
    PanelToControls(snapshot.panel);
    panelAsLoaded_ = snapshot.panelAsLoaded;
    invalid_ = snapshot.invalid;
    UpdateColours();
    // The list chooses the panel's channel again. Through the selection model: a key held
    // with Ctrl+Z must not turn the choice into a toggle.
    QItemSelectionModel* selection = m_channelList->selectionModel();
    const int row = snapshot.panel.channelNo - 1;
    if (row >= 0 && row < kChannelCount) {
        const QModelIndex index = m_channelList->model()->index(row, 0);
        selection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else {
        selection->clearSelection();
    }
}

QList<int> ChannelEditor::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_channelList->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ChannelEditor::PutTable(const ChannelTable& table) {
    ExchangeData(true);
    const ChannelTable before = Table();
    SetTable(table);
    const int row = m_channelNo - 1;
    if (row < 0 || row >= kChannelCount ||
        before[static_cast<std::size_t>(row)] == table[static_cast<std::size_t>(row)]) {
        return;
    }
    EditPanel panel = PanelFromControls();
    LoadRowIntoPanel(table, row, panel);
    PanelToControls(panel);
    RememberPanelAsLoaded();
}

void ChannelEditor::UpdateColours() {
    auto paint = [](QWidget* widget, const char* colour) {
        const QString sheet =
            colour ? QStringLiteral("background-color: %1;").arg(QLatin1String(colour)) : QString();
        if (widget->styleSheet() != sheet)
            widget->setStyleSheet(sheet);
    };
    paint(m_editTx, invalid_.tx ? "#ff0000" : nullptr);
    paint(m_editRx, invalid_.rx ? "#ff0000" : nullptr);
    paint(m_comboSquelch, invalid_.squelch ? "#ff0000" : nullptr);
    paint(m_comboRate, invalid_.rate ? "#ff0000" : nullptr);
    paint(m_comboPower, invalid_.power ? "#ff0000" : nullptr);
    paint(m_comboDataVoice, invalid_.dataVoice ? "#ff0000" : nullptr);
    paint(m_editChannelNo, "#00ffff");
}

// --- channel editing ---------------------------------------------------------------------

void ChannelEditor::OnRowClicked() {
    int row = -1;
    const QModelIndexList selected = m_channelList->selectionModel()->selectedIndexes();
    for (const QModelIndex& index : selected) {
        if (row < 0 || index.row() < row)
            row = index.row();
    }
    EditPanel panel = PanelFromControls();
    LoadRowIntoPanel(Table(), row, panel);
    PanelToControls(panel);
    RememberPanelAsLoaded();
}

void ChannelEditor::OnConfirm() {
    ExchangeData(true);
    history_.Change(tr("数据设置 [信道%1]").arg(m_channelNo), [this] { Confirm(); });
}

void ChannelEditor::Confirm() {
    ExchangeData(true);
    ChannelTable table = Table();
    const ConfirmResult result =
        ConfirmPanel(PanelFromControls(), {m_minFreq, m_maxFreq}, table, invalid_);
    UpdateColours();
    if (result.written) {
        SetTable(table);
        RememberPanelAsLoaded();
    }
    for (const Message& line : result.logLines)
        log_.AppendLog(CoreText(line));
}

void ChannelEditor::ApplyPanelToRow() {
    ExchangeData(true);
    ChannelTable table = Table();
    if (orvel::ApplyPanelToRow(PanelFromControls(), {m_minFreq, m_maxFreq}, table, invalid_)) {
        SetTable(table);
    }
    UpdateColours();
    // Loaded, whether or not the silent check took it: drop-downs that keep their earlier
    // choices beside an empty row are not an edit.
    RememberPanelAsLoaded();
}

void ChannelEditor::RememberPanelAsLoaded() {
    ExchangeData(true);
    panelAsLoaded_ = PanelFromControls();
}

void ChannelEditor::OnClear() {
    history_.Change(tr("清除信道数据"), [this] { Clear(); });
}

void ChannelEditor::Clear() {
    invalid_ = InvalidFlags{};
    UpdateColours();
    ExchangeData(true);
    ChannelTable table = Table();
    // Several chosen rows, the panel's among them: all of them go.
    const QList<int> rows = SelectedRows();
    if (rows.size() > 1 && rows.contains(m_channelNo - 1)) {
        for (int row : rows)
            ClearRow(table, row + 1);
    }
    ClearRow(table, m_channelNo);
    SetTable(table);
    ExchangeData(false);
    for (QComboBox* combo : {m_comboSquelch, m_comboRate, m_comboPower, m_comboDataVoice}) {
        combo->setCurrentIndex(-1);
    }
    m_rxFreqText.clear();
    m_txFreqText.clear();
    log_.AppendText(tr("***清除信道数据***\r\n"));
    ExchangeData(false);
    RememberPanelAsLoaded();
}

void ChannelEditor::OnDefault() {
    history_.Change(tr("缺省"), [this] {
        SetTable(EmptyChannelTable());
        m_channelNo = 1;
        ExchangeData(false);
        Clear();
    });
}

bool ChannelEditor::ConfirmPendingEdit() {
    ExchangeData(true);
    const EditPanel panel = PanelFromControls();
    if (panel == panelAsLoaded_ || PanelMatchesRow(panel, Table()))
        return true;
    const QMessageBox::StandardButton answer =
        dialogs_.Message(QMessageBox::Question, NoticeCaption(),
                         tr("信道%1的修改尚未确认，是否先确认后写入？").arg(panel.channelNo),
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    OnConfirm();
    // A failed check leaves the row as it was and the panel different from it.
    return PanelMatchesRow(PanelFromControls(), Table());
}
