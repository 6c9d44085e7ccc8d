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
#include "radio_fields.h"
#include "view_dialogs.h"

namespace orvel {

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
    : m_document(document),
      m_log(log),
      m_dialogs(dialogs),
      m_editChannelNo(controls.channelNoEdit),
      m_edits(controls.columnEdits),
      m_combos(controls.columnCombos),
      m_channelList(controls.channelList) {
    m_channelList->setModel(new ChannelTableModel(m_document, m_channelList));
    // Set before the frame first measures the form, which keeps what it measured until it is
    // shown. The label and the frequencies need their widest texts; every other column's head
    // is wider than what it shows, and the list makes a column as wide as its head.
    const QString widestLabel = CoreText(ChannelLabelText(kChannelCount));
    QList<int> widths;
    for (const ChannelField& field : kChannelFields) {
        switch (field.kind) {
            case ColumnKind::Label:
                widths << m_channelList->widthFor(widestLabel);
                break;
            case ColumnKind::Frequency:
                widths << m_channelList->widthFor(QStringLiteral("888.888"));
                break;
            case ColumnKind::Items:
            case ColumnKind::Levels:
                widths << 0;
                break;
        }
    }
    m_channelList->setColumnWidths(widths);
    connect(m_channelList, &CHighlightListCtrl::rowClicked, this, &ChannelEditor::OnRowClicked);
    connect(m_channelList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ChannelEditor::selectionChanged);
    connect(controls.confirmButton, &QPushButton::clicked, this, &ChannelEditor::OnConfirm);
    connect(controls.clearButton, &QPushButton::clicked, this, &ChannelEditor::OnClear);
    // Enter in a frequency field confirms, as the mouse user clicks 确认.
    for (QLineEdit* edit : Edits())
        connect(edit, &QLineEdit::returnPressed, this, &ChannelEditor::OnConfirm);
    connect(&m_document, &Document::changed, this, &ChannelEditor::FollowDocument);
}

void ChannelEditor::SetUpList() {
    m_channelList->SetHighlightMode(CHighlightListCtrl::kHighlightRow);
    ClearPanelChoices();
    ShowPanel(m_panel);
}

void ChannelEditor::FinishStart() {
    for (QLineEdit* edit : Edits())
        edit->setMaxLength(8);
    UpdateColours();
    RememberLoaded();
    m_channelList->setFocus();
}

// --- the panel and its controls ------------------------------------------------------------

EditPanel ChannelEditor::Panel() const {
    EditPanel panel;
    panel.channelNo = m_panel.channelNo;
    for (const ChannelField& field : kChannelFields) {
        if (QLineEdit* edit = m_edits[field.column])
            panel.*field.text = edit->text().toStdString();
        if (QComboBox* combo = m_combos[field.column])
            panel.*field.choice = combo->currentIndex();
    }
    return panel;
}

void ChannelEditor::ShowPanel(const EditPanel& panel) {
    m_panel.channelNo = panel.channelNo;
    m_editChannelNo->setText(QString::number(panel.channelNo));
    for (const ChannelField& field : kChannelFields) {
        if (QLineEdit* edit = m_edits[field.column]) {
            const QString text = QString::fromStdString(panel.*field.text);
            if (edit->text() != text)
                edit->setText(text);
        }
        if (QComboBox* combo = m_combos[field.column])
            combo->setCurrentIndex(panel.*field.choice);
    }
}

void ChannelEditor::RememberLoaded() {
    m_panelAsLoaded = Panel();
    m_rowAsLoaded = RowOf(m_document.table(), m_panel.channelNo);
}

QList<QLineEdit*> ChannelEditor::Edits() const {
    QList<QLineEdit*> edits;
    for (QLineEdit* edit : m_edits) {
        if (edit)
            edits << edit;
    }
    return edits;
}

void ChannelEditor::ClearPanelChoices() {
    for (QComboBox* combo : m_combos) {
        if (combo)
            combo->setCurrentIndex(-1);
    }
}

void ChannelEditor::LoadChannel(int channelNo, bool keepChoices) {
    EditPanel panel = Panel();
    if (keepChoices && channelNo == 1) {
        LoadFirstChannelIntoPanel(m_document.table(), panel);
    } else {
        LoadRowIntoPanel(m_document.table(), channelNo - 1, panel);
    }
    ShowPanel(panel);
    RememberLoaded();
}

bool ChannelEditor::LoadImage(const MemoryImage& image, DecodeSource source, const QString& label) {
    const DecodedImage decoded =
        DecodeAsShown(image, source, m_document.limits(), m_document.settings());
    DocumentState state;
    state.image = image;
    state.settingsAsHeld = decoded.settings;
    state.table = decoded.table;
    state.settings = decoded.settings;
    // The panel moves to channel 1 with the change, so it does not follow the row on its own.
    m_panel.channelNo = 1;
    m_rowAsLoaded = RowOf(state.table, 1);
    m_document.ChangeTo(label, state);
    const bool shown = decoded.checksumOk || source == DecodeSource::FromRadio;
    if (!shown) {
        ResetPanel();
        return false;
    }
    LoadChannel(1, true);
    // The silent check after a load clears the marks it finds answered; it paints none.
    ChannelTable scratch = m_document.table();
    orvel::ApplyPanelToRow(Panel(), m_document.limits(), scratch, m_invalid);
    UpdateColours();
    return decoded.checksumOk;
}

void ChannelEditor::ResetPanel() {
    ClearPanelChoices();
    EditPanel panel = Panel();
    panel.channelNo = 1;
    for (const ChannelField& field : kChannelFields) {
        if (field.text)
            (panel.*field.text).clear();
    }
    ShowPanel(panel);
    RememberLoaded();
}

void ChannelEditor::FollowDocument() {
    if (RowOf(m_document.table(), m_panel.channelNo) == m_rowAsLoaded)
        return;
    EditPanel panel = Panel();
    LoadRowIntoPanel(m_document.table(), m_panel.channelNo - 1, panel);
    ShowPanel(panel);
    RememberLoaded();
}

QList<int> ChannelEditor::selectedRows() const {
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
    for (const ChannelField& field : kChannelFields) {
        QWidget* widget = m_edits[field.column];
        if (!widget)
            widget = m_combos[field.column];
        if (widget)
            paint(widget, m_invalid.*field.invalid ? "#ff0000" : nullptr);
    }
    paint(m_editChannelNo, "#00ffff");
}

// --- channel editing ---------------------------------------------------------------------

void ChannelEditor::OnRowClicked() {
    const QList<int> rows = selectedRows();
    LoadChannel(rows.isEmpty() ? 0 : rows.first() + 1);
}

void ChannelEditor::CommitTable(const QString& label, const ChannelTable& table) {
    // The panel made this change: it keeps what the user typed rather than following the row.
    m_rowAsLoaded = RowOf(table, m_panel.channelNo);
    m_document.Change(label, [&table](DocumentState& state) { state.table = table; });
}

void ChannelEditor::OnConfirm() {
    const EditPanel panel = Panel();
    ChannelTable table = m_document.table();
    const ConfirmResult result = ConfirmPanel(panel, m_document.limits(), table, m_invalid);
    UpdateColours();
    if (result.written) {
        CommitTable(tr("数据设置 [信道%1]").arg(panel.channelNo), table);
        RememberLoaded();
    }
    for (const Message& line : result.logLines)
        m_log.AppendLog(CoreText(line));
}

void ChannelEditor::ApplyPanelToRow() {
    ChannelTable table = m_document.table();
    if (orvel::ApplyPanelToRow(Panel(), m_document.limits(), table, m_invalid)) {
        CommitTable(tr("数据设置 [信道%1]").arg(m_panel.channelNo), table);
    }
    UpdateColours();
    // Loaded, whether or not the silent check took it: drop-downs that keep their earlier
    // choices beside an empty row are not an edit.
    RememberLoaded();
}

void ChannelEditor::OnClear() {
    ChannelTable table = m_document.table();
    // Several chosen rows, the panel's among them: all of them go.
    const QList<int> rows = selectedRows();
    if (rows.size() > 1 && rows.contains(m_panel.channelNo - 1)) {
        for (int row : rows)
            ClearRow(table, row + 1);
    }
    ClearRow(table, m_panel.channelNo);
    m_invalid = InvalidFlags{};
    UpdateColours();
    CommitTable(tr("清除信道数据"), table);
    ClearPanelChoices();
    for (QLineEdit* edit : Edits())
        edit->clear();
    m_log.AppendText(tr("***清除信道数据***\r\n"));
    RememberLoaded();
}

void ChannelEditor::OnDefault() {
    m_invalid = InvalidFlags{};
    UpdateColours();
    ResetPanel();
    CommitTable(tr("缺省"), EmptyChannelTable());
    m_log.AppendText(tr("***清除信道数据***\r\n"));
    RememberLoaded();
}

bool ChannelEditor::ConfirmPendingEdit() {
    const EditPanel panel = Panel();
    if (panel == m_panelAsLoaded || PanelMatchesRow(panel, m_document.table()))
        return true;
    const QMessageBox::StandardButton answer =
        m_dialogs.Message(QMessageBox::Question, NoticeCaption(),
                          tr("信道%1的修改尚未确认，是否先确认后写入？").arg(panel.channelNo),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    OnConfirm();
    // A failed check leaves the row as it was and the panel different from it.
    return PanelMatchesRow(Panel(), m_document.table());
}

}  // namespace orvel
