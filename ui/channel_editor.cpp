#include "channel_editor.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "cell_rules.h"
#include "channel_table_model.h"
#include "chighlightlistctrl.h"
#include "codec.h"
#include "document.h"
#include "lower_texts.h"
#include "message_log.h"
#include "view_dialogs.h"

using namespace orvel;

namespace {

const ChannelRow& RowOf(const ChannelTable& table, int channelNo) {
    static const ChannelRow kNone{};
    return channelNo >= 1 && channelNo <= kChannelCount
               ? table[static_cast<std::size_t>(channelNo - 1)]
               : kNone;
}

}  // namespace

ChannelEditor::ChannelEditor(const FormControls& controls, Document& document, MessageLog& log,
                             ViewDialogs& dialogs)
    : document_(document),
      log_(log),
      dialogs_(dialogs),
      m_editChannelNo(controls.channelNoEdit),
      m_editRx(controls.rxEdit),
      m_editTx(controls.txEdit),
      m_comboPower(controls.powerCombo),
      m_comboRate(controls.rateCombo),
      m_comboSquelch(controls.squelchCombo),
      m_comboDataVoice(controls.dataVoiceCombo),
      m_channelList(controls.channelList) {
    m_channelList->setModel(new ChannelTableModel(document_, m_channelList));
    // Set before the frame first measures the form, which keeps what it measured until it is
    // shown. The label and the frequencies need their widest texts; every other column's head
    // is wider than what it shows, and the list makes a column as wide as its head.
    const QString widestLabel = CoreText(ChannelLabelText(kChannelCount));
    const int frequency = m_channelList->WidthFor(QStringLiteral("888.888"));
    m_channelList->SetColumnWidths(
        {m_channelList->WidthFor(widestLabel), frequency, frequency, 0, 0, 0, 0});
    connect(m_channelList, &CHighlightListCtrl::rowClicked, this, &ChannelEditor::OnRowClicked);
    connect(m_channelList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ChannelEditor::selectionChanged);
    connect(controls.confirmButton, &QPushButton::clicked, this, &ChannelEditor::OnConfirm);
    connect(controls.clearButton, &QPushButton::clicked, this, &ChannelEditor::OnClear);
    // Enter in a frequency field confirms, as the mouse user clicks 确认.
    connect(m_editRx, &QLineEdit::returnPressed, this, &ChannelEditor::OnConfirm);
    connect(m_editTx, &QLineEdit::returnPressed, this, &ChannelEditor::OnConfirm);
    connect(&document_, &Document::changed, this, &ChannelEditor::FollowDocument);
}

void ChannelEditor::SetUpList() {
    m_channelList->SetHighlightMode(CHighlightListCtrl::kHighlightRow);
    ClearPanelChoices();
    ShowPanel(panel_);
}

void ChannelEditor::FinishStart() {
    m_editRx->setMaxLength(8);
    m_editTx->setMaxLength(8);
    UpdateColours();
    RememberLoaded();
    m_channelList->setFocus();
}

// --- the panel and its controls ------------------------------------------------------------

EditPanel ChannelEditor::Panel() const {
    EditPanel panel;
    panel.channelNo = panel_.channelNo;
    panel.rxText = m_editRx->text().toStdString();
    panel.txText = m_editTx->text().toStdString();
    panel.power = m_comboPower->currentIndex();
    panel.rate = m_comboRate->currentIndex();
    panel.squelch = m_comboSquelch->currentIndex();
    panel.dataVoice = m_comboDataVoice->currentIndex();
    return panel;
}

void ChannelEditor::ShowPanel(const EditPanel& panel) {
    panel_.channelNo = panel.channelNo;
    m_editChannelNo->setText(QString::number(panel.channelNo));
    const QString rx = QString::fromStdString(panel.rxText);
    const QString tx = QString::fromStdString(panel.txText);
    if (m_editRx->text() != rx)
        m_editRx->setText(rx);
    if (m_editTx->text() != tx)
        m_editTx->setText(tx);
    m_comboPower->setCurrentIndex(panel.power);
    m_comboRate->setCurrentIndex(panel.rate);
    m_comboSquelch->setCurrentIndex(panel.squelch);
    m_comboDataVoice->setCurrentIndex(panel.dataVoice);
}

void ChannelEditor::RememberLoaded() {
    panelAsLoaded_ = Panel();
    rowAsLoaded_ = RowOf(document_.table(), panel_.channelNo);
}

void ChannelEditor::ClearPanelChoices() {
    for (QComboBox* combo : {m_comboPower, m_comboRate, m_comboSquelch, m_comboDataVoice})
        combo->setCurrentIndex(-1);
}

void ChannelEditor::LoadChannel(int channelNo, bool keepChoices) {
    EditPanel panel = Panel();
    if (keepChoices && channelNo == 1) {
        LoadFirstChannelIntoPanel(document_.table(), panel);
    } else {
        LoadRowIntoPanel(document_.table(), channelNo - 1, panel);
    }
    ShowPanel(panel);
    RememberLoaded();
}

bool ChannelEditor::LoadImage(const MemoryImage& image, DecodeSource source, const QString& label) {
    const DecodedImage decoded =
        DecodeAsShown(image, source, document_.limits(), document_.settings());
    DocumentState state;
    state.image = image;
    state.settingsAsHeld = decoded.settings;
    state.table = decoded.table;
    state.settings = decoded.settings;
    // The panel moves to channel 1 with the change, so it does not follow the row on its own.
    panel_.channelNo = 1;
    rowAsLoaded_ = RowOf(state.table, 1);
    document_.ChangeTo(label, state);
    const bool shown = decoded.checksumOk || source == DecodeSource::FromRadio;
    if (!shown) {
        ResetPanel();
        return false;
    }
    LoadChannel(1, true);
    // The silent check after a load clears the marks it finds answered; it paints none.
    ChannelTable scratch = document_.table();
    orvel::ApplyPanelToRow(Panel(), document_.limits(), scratch, invalid_);
    UpdateColours();
    return decoded.checksumOk;
}

void ChannelEditor::ResetPanel() {
    ClearPanelChoices();
    EditPanel panel = Panel();
    panel.channelNo = 1;
    panel.rxText.clear();
    panel.txText.clear();
    ShowPanel(panel);
    RememberLoaded();
}

void ChannelEditor::FollowDocument() {
    if (RowOf(document_.table(), panel_.channelNo) == rowAsLoaded_)
        return;
    EditPanel panel = Panel();
    LoadRowIntoPanel(document_.table(), panel_.channelNo - 1, panel);
    ShowPanel(panel);
    RememberLoaded();
}

QList<int> ChannelEditor::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_channelList->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ChannelEditor::ChooseRows(const QList<int>& rows) {
    QItemSelection selection;
    QAbstractItemModel* model = m_channelList->model();
    for (int row : rows)
        selection.select(model->index(row, 0), model->index(row, model->columnCount() - 1));
    m_channelList->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.isEmpty()) {
        m_channelList->selectionModel()->setCurrentIndex(model->index(rows.first(), 0),
                                                         QItemSelectionModel::NoUpdate);
        LoadChannel(rows.first() + 1);
    }
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
    const QList<int> rows = SelectedRows();
    LoadChannel(rows.isEmpty() ? 0 : rows.first() + 1);
}

void ChannelEditor::CommitTable(const QString& label, const ChannelTable& table) {
    // The panel made this change: it keeps what the user typed rather than following the row.
    rowAsLoaded_ = RowOf(table, panel_.channelNo);
    document_.Change(label, [&table](DocumentState& state) { state.table = table; });
}

void ChannelEditor::OnConfirm() {
    const EditPanel panel = Panel();
    ChannelTable table = document_.table();
    const ConfirmResult result = ConfirmPanel(panel, document_.limits(), table, invalid_);
    UpdateColours();
    if (result.written) {
        CommitTable(tr("数据设置 [信道%1]").arg(panel.channelNo), table);
        RememberLoaded();
    }
    for (const Message& line : result.logLines)
        log_.AppendLog(CoreText(line));
}

void ChannelEditor::ApplyPanelToRow() {
    ChannelTable table = document_.table();
    if (orvel::ApplyPanelToRow(Panel(), document_.limits(), table, invalid_)) {
        CommitTable(tr("数据设置 [信道%1]").arg(panel_.channelNo), table);
    }
    UpdateColours();
    // Loaded, whether or not the silent check took it: drop-downs that keep their earlier
    // choices beside an empty row are not an edit.
    RememberLoaded();
}

void ChannelEditor::OnClear() {
    ChannelTable table = document_.table();
    // Several chosen rows, the panel's among them: all of them go.
    const QList<int> rows = SelectedRows();
    if (rows.size() > 1 && rows.contains(panel_.channelNo - 1)) {
        for (int row : rows)
            ClearRow(table, row + 1);
    }
    ClearRow(table, panel_.channelNo);
    invalid_ = InvalidFlags{};
    UpdateColours();
    CommitTable(tr("清除信道数据"), table);
    ClearPanelChoices();
    m_editRx->clear();
    m_editTx->clear();
    log_.AppendText(tr("***清除信道数据***\r\n"));
    RememberLoaded();
}

void ChannelEditor::OnDefault() {
    invalid_ = InvalidFlags{};
    UpdateColours();
    ResetPanel();
    CommitTable(tr("缺省"), EmptyChannelTable());
    log_.AppendText(tr("***清除信道数据***\r\n"));
    RememberLoaded();
}

bool ChannelEditor::ConfirmPendingEdit() {
    const EditPanel panel = Panel();
    if (panel == panelAsLoaded_ || PanelMatchesRow(panel, document_.table()))
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
    return PanelMatchesRow(Panel(), document_.table());
}
