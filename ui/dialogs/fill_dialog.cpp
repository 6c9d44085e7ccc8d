#include "fill_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "lower_texts.h"
#include "number_text.h"
#include "radio_fields.h"

namespace orvel {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Four decimals, so a 12.5 kHz step reaches the cell's rounding as the technician would type it.
std::string FrequencyText(double megahertz) {
    return FormatFixed(megahertz, 4, 0);
}

constexpr int kReasonColumn = kTableColumns;

// A refused frequency as it was put, to three decimals where that loses nothing: rounded to the
// cell's three it could show a value the checks would have taken ("235.000" for 235.0005).
QString RefusedFrequency(const std::string& typed) {
    QString text = FromUtf8(typed).trimmed();
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    while (point >= 0 && text.size() - point > 4 && text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

}  // namespace

std::map<int, ChannelRow> FillRows(const FillPlan& plan, const ChannelTable& table) {
    std::map<int, ChannelRow> rows;
    for (int channel = std::max(plan.first, 1); channel <= std::min(plan.last, kChannelCount);
         ++channel) {
        ChannelRow row = table[static_cast<std::size_t>(channel - 1)];
        const double rx = plan.start + (channel - plan.first) * plan.step;
        row[kColRx] = FrequencyText(rx);
        row[kColTx] = FrequencyText(rx + plan.offset);
        for (std::size_t i = 0; i < kListColumns; ++i) {
            const FillPlan::Choice& choice = plan.choices[i];
            const auto items = kChannelFields[kListColumnOrder[i]].items;
            std::string& cell = row[kListColumnOrder[i]];
            const bool known = std::find(items.begin(), items.end(), cell) != items.end();
            if ((choice.forAll || !known) && choice.item >= 0 &&
                static_cast<std::size_t>(choice.item) < items.size()) {
                cell = std::string(items[static_cast<std::size_t>(choice.item)]);
            }
        }
        rows[channel] = row;
    }
    return rows;
}

QString FaultText(const std::vector<std::string>& confirmLines) {
    QStringList reasons;
    for (const std::string& line : confirmLines) {
        QString reason = CoreText(line);
        while (reason.startsWith(QLatin1Char('*')))
            reason.remove(0, 1);
        while (reason.endsWith(QLatin1Char('*')))
            reason.chop(1);
        reasons << reason;
    }
    return reasons.join(QCoreApplication::translate("orvel::FillDialog", "，"));
}

FillDialog::FillDialog(const ChannelTable& table, const FrequencyLimits& limits, int first,
                       int last, QWidget* parent)
    : QDialog(parent), m_table(table), m_limits(limits) {
    setWindowTitle(tr("批量设置"));
    auto* grid = new QGridLayout;
    // A label is its field's buddy, so a screen reader names the field by it.
    auto label = [this](const QString& text, QWidget* buddy = nullptr) {
        auto* shown = new QLabel(text, this);
        shown->setBuddy(buddy);
        return shown;
    };
    auto megahertz = [this](const char* name, double low, double value) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(QLatin1String(name));
        box->setDecimals(4);
        box->setRange(low, 999.999);
        box->setSingleStep(0.025);
        box->setSuffix(QStringLiteral(" MHz"));
        box->setValue(value);
        return box;
    };

    m_first = new QSpinBox(this);
    m_first->setObjectName(QStringLiteral("fillFirst"));
    m_last = new QSpinBox(this);
    m_last->setObjectName(QStringLiteral("fillLast"));
    for (QSpinBox* box : {m_first, m_last})
        box->setRange(1, kChannelCount);
    m_first->setValue(first);
    m_last->setValue(last);
    auto* channels = new QHBoxLayout;
    channels->addWidget(m_first);
    channels->addWidget(label(tr("至"), m_last));
    channels->addWidget(m_last);
    channels->addStretch();
    grid->addWidget(label(tr("信道:"), m_first), 0, 0);
    grid->addLayout(channels, 0, 1);

    const std::string& firstRx = table[static_cast<std::size_t>(first - 1)][kColRx];
    m_start = megahertz("fillStart", 0.0, firstRx.empty() ? limits.min : ReadDecimal(firstRx));
    m_step = megahertz("fillStep", -999.999, 0.025);
    m_offset = megahertz("fillOffset", -999.999, 0.0);
    grid->addWidget(label(tr("起始接收频率:"), m_start), 1, 0);
    grid->addWidget(m_start, 1, 1);
    grid->addWidget(label(tr("步进:"), m_step), 2, 0);
    grid->addWidget(m_step, 2, 1);
    grid->addWidget(label(tr("收发频差:"), m_offset), 3, 0);
    grid->addWidget(m_offset, 3, 1);

    for (std::size_t i = 0; i < kListColumns; ++i) {
        const int c = kListColumnOrder[i];
        const ChannelField& field = kChannelFields[static_cast<std::size_t>(c)];
        const QString heading = CoreText(field.heading);
        m_items[i] = new QComboBox(this);
        m_items[i]->setObjectName(QStringLiteral("fillItem%1").arg(c));
        for (std::string_view item : field.items)
            m_items[i]->addItem(CoreText(item));
        // The tick says whether the value goes to every channel; the label names the value.
        m_forAll[i] = new QCheckBox(this);
        m_forAll[i]->setObjectName(QStringLiteral("fillAll%1").arg(c));
        m_forAll[i]->setAccessibleName(tr("%1：用于全部信道").arg(heading));
        auto* choice = new QHBoxLayout;
        choice->addWidget(m_forAll[i]);
        choice->addWidget(label(heading + QStringLiteral(":"), m_items[i]), 1);
        const int row = 4 + static_cast<int>(i);
        grid->addLayout(choice, row, 0);
        grid->addWidget(m_items[i], row, 1);
    }
    auto* note = label(tr("未勾选的项保留各信道原有的值；原来没有值的信道取所显示的值。"));
    note->setWordWrap(true);

    m_preview = new QTableWidget(0, kTableColumns + 1, this);
    m_preview->setObjectName(QStringLiteral("fillPreview"));
    m_preview->setAccessibleName(tr("预览"));
    QStringList headings;
    for (const ChannelField& field : kChannelFields)
        headings << CoreText(field.heading);
    headings << tr("说明");
    m_preview->setHorizontalHeaderLabels(headings);
    m_preview->verticalHeader()->hide();
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setSelectionMode(QAbstractItemView::NoSelection);
    m_preview->horizontalHeader()->setStretchLastSection(true);
    m_preview->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_preview->setMinimumSize(640, 160);

    m_summary = label(QString());
    m_summary->setObjectName(QStringLiteral("fillSummary"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("fillOk"));
    m_ok->setText(tr("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* inputs = new QHBoxLayout;
    inputs->addLayout(grid);
    inputs->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addWidget(note);
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_summary);
    layout->addWidget(buttons);

    // Room for all sixteen rows where the screen has it.
    const int rows = m_preview->horizontalHeader()->sizeHint().height() +
                     kChannelCount * m_preview->verticalHeader()->defaultSectionSize() + 4;
    m_preview->setMinimumHeight(rows);
    resize(sizeHint());
    m_preview->setMinimumHeight(160);

    for (QSpinBox* box : {m_first, m_last})
        connect(box, &QSpinBox::valueChanged, this, &FillDialog::UpdatePreview);
    for (QDoubleSpinBox* box : {m_start, m_step, m_offset})
        connect(box, &QDoubleSpinBox::valueChanged, this, &FillDialog::UpdatePreview);
    for (std::size_t i = 0; i < m_forAll.size(); ++i) {
        connect(m_forAll[i], &QCheckBox::toggled, this, &FillDialog::UpdatePreview);
        connect(m_items[i], &QComboBox::currentIndexChanged, this, &FillDialog::UpdatePreview);
    }
    UpdatePreview();
}

FillPlan FillDialog::plan() const {
    FillPlan plan;
    plan.first = m_first->value();
    plan.last = m_last->value();
    plan.start = m_start->value();
    plan.step = m_step->value();
    plan.offset = m_offset->value();
    for (std::size_t i = 0; i < plan.choices.size(); ++i)
        plan.choices[i] = {m_forAll[i]->isChecked(), m_items[i]->currentIndex()};
    return plan;
}

// Each row as the list would show it after 确定, and why a refused row would stay as it is.
void FillDialog::UpdatePreview() {
    const FillPlan plan = this->plan();
    const std::map<int, ChannelRow> rows = FillRows(plan, m_table);
    m_preview->setRowCount(static_cast<int>(rows.size()));
    int line = 0;
    int refused = 0;
    for (const auto& [channel, cells] : rows) {
        ChannelTable scratch = m_table;
        const std::vector<std::string> faults = ConfirmRow(cells, channel, m_limits, scratch);
        const ChannelRow& shown =
            faults.empty() ? scratch[static_cast<std::size_t>(channel - 1)] : cells;
        refused += faults.empty() ? 0 : 1;
        for (int c = 0; c <= kReasonColumn; ++c) {
            QString text;
            if (c == kColLabel)
                text = CoreText(ChannelLabel(channel));
            else if (c == kReasonColumn)
                text = FaultText(faults);
            else if (kChannelFields[static_cast<std::size_t>(c)].kind == ColumnKind::Frequency &&
                     !faults.empty())
                text = RefusedFrequency(cells[static_cast<std::size_t>(c)]);
            else
                text = CoreText(shown[static_cast<std::size_t>(c)]);
            auto* item = new QTableWidgetItem(text);
            // A cell is spoken with its column, also where it is empty.
            item->setData(Qt::AccessibleTextRole,
                          m_preview->horizontalHeaderItem(c)->text() + QLatin1Char(' ') + text);
            item->setTextAlignment(c == kReasonColumn ? Qt::AlignLeft | Qt::AlignVCenter
                                                      : Qt::AlignCenter);
            if (!faults.empty())
                item->setBackground(QColor(0xff, 0xc8, 0xc8));
            m_preview->setItem(line, c, item);
        }
        ++line;
    }
    m_preview->resizeColumnsToContents();
    m_summary->setText(refused == 0 ? QString()
                                    : tr("%1 个信道不符合要求，将保持原样").arg(refused));
    m_ok->setEnabled(!rows.empty());
}

}  // namespace orvel
