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

using namespace orvel;

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
    return reasons.join(QCoreApplication::translate("FillDialog", "，"));
}

FillDialog::FillDialog(const ChannelTable& table, const FrequencyLimits& limits, int first,
                       int last, QWidget* parent)
    : QDialog(parent), table_(table), limits_(limits) {
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

    first_ = new QSpinBox(this);
    first_->setObjectName(QStringLiteral("fillFirst"));
    last_ = new QSpinBox(this);
    last_->setObjectName(QStringLiteral("fillLast"));
    for (QSpinBox* box : {first_, last_})
        box->setRange(1, kChannelCount);
    first_->setValue(first);
    last_->setValue(last);
    auto* channels = new QHBoxLayout;
    channels->addWidget(first_);
    channels->addWidget(label(tr("至"), last_));
    channels->addWidget(last_);
    channels->addStretch();
    grid->addWidget(label(tr("信道:"), first_), 0, 0);
    grid->addLayout(channels, 0, 1);

    const std::string& firstRx = table[static_cast<std::size_t>(first - 1)][kColRx];
    start_ = megahertz("fillStart", 0.0, firstRx.empty() ? limits.min : ReadDecimal(firstRx));
    step_ = megahertz("fillStep", -999.999, 0.025);
    offset_ = megahertz("fillOffset", -999.999, 0.0);
    grid->addWidget(label(tr("起始接收频率:"), start_), 1, 0);
    grid->addWidget(start_, 1, 1);
    grid->addWidget(label(tr("步进:"), step_), 2, 0);
    grid->addWidget(step_, 2, 1);
    grid->addWidget(label(tr("收发频差:"), offset_), 3, 0);
    grid->addWidget(offset_, 3, 1);

    for (std::size_t i = 0; i < kListColumns; ++i) {
        const int c = kListColumnOrder[i];
        const ChannelField& field = kChannelFields[static_cast<std::size_t>(c)];
        const QString heading = CoreText(field.heading);
        items_[i] = new QComboBox(this);
        items_[i]->setObjectName(QStringLiteral("fillItem%1").arg(c));
        for (std::string_view item : field.items)
            items_[i]->addItem(CoreText(item));
        // The tick says whether the value goes to every channel; the label names the value.
        forAll_[i] = new QCheckBox(this);
        forAll_[i]->setObjectName(QStringLiteral("fillAll%1").arg(c));
        forAll_[i]->setAccessibleName(tr("%1：用于全部信道").arg(heading));
        auto* choice = new QHBoxLayout;
        choice->addWidget(forAll_[i]);
        choice->addWidget(label(heading + QStringLiteral(":"), items_[i]), 1);
        const int row = 4 + static_cast<int>(i);
        grid->addLayout(choice, row, 0);
        grid->addWidget(items_[i], row, 1);
    }
    auto* note = label(tr("未勾选的项保留各信道原有的值；原来没有值的信道取所显示的值。"));
    note->setWordWrap(true);

    preview_ = new QTableWidget(0, kTableColumns + 1, this);
    preview_->setObjectName(QStringLiteral("fillPreview"));
    preview_->setAccessibleName(tr("预览"));
    QStringList headings;
    for (const ChannelField& field : kChannelFields)
        headings << CoreText(field.heading);
    headings << tr("说明");
    preview_->setHorizontalHeaderLabels(headings);
    preview_->verticalHeader()->hide();
    preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview_->setSelectionMode(QAbstractItemView::NoSelection);
    preview_->horizontalHeader()->setStretchLastSection(true);
    preview_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    preview_->setMinimumSize(640, 160);

    summary_ = label(QString());
    summary_->setObjectName(QStringLiteral("fillSummary"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setObjectName(QStringLiteral("fillOk"));
    ok_->setText(tr("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* inputs = new QHBoxLayout;
    inputs->addLayout(grid);
    inputs->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addWidget(note);
    layout->addWidget(preview_, 1);
    layout->addWidget(summary_);
    layout->addWidget(buttons);

    // Room for all sixteen rows where the screen has it.
    const int rows = preview_->horizontalHeader()->sizeHint().height() +
                     kChannelCount * preview_->verticalHeader()->defaultSectionSize() + 4;
    preview_->setMinimumHeight(rows);
    resize(sizeHint());
    preview_->setMinimumHeight(160);

    for (QSpinBox* box : {first_, last_})
        connect(box, &QSpinBox::valueChanged, this, &FillDialog::UpdatePreview);
    for (QDoubleSpinBox* box : {start_, step_, offset_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &FillDialog::UpdatePreview);
    for (std::size_t i = 0; i < forAll_.size(); ++i) {
        connect(forAll_[i], &QCheckBox::toggled, this, &FillDialog::UpdatePreview);
        connect(items_[i], &QComboBox::currentIndexChanged, this, &FillDialog::UpdatePreview);
    }
    UpdatePreview();
}

FillPlan FillDialog::Plan() const {
    FillPlan plan;
    plan.first = first_->value();
    plan.last = last_->value();
    plan.start = start_->value();
    plan.step = step_->value();
    plan.offset = offset_->value();
    for (std::size_t i = 0; i < plan.choices.size(); ++i)
        plan.choices[i] = {forAll_[i]->isChecked(), items_[i]->currentIndex()};
    return plan;
}

// Each row as the list would show it after 确定, and why a refused row would stay as it is.
void FillDialog::UpdatePreview() {
    const FillPlan plan = Plan();
    const std::map<int, ChannelRow> rows = FillRows(plan, table_);
    preview_->setRowCount(static_cast<int>(rows.size()));
    int line = 0;
    int refused = 0;
    for (const auto& [channel, cells] : rows) {
        ChannelTable scratch = table_;
        const std::vector<std::string> faults = ConfirmRow(cells, channel, limits_, scratch);
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
                          preview_->horizontalHeaderItem(c)->text() + QLatin1Char(' ') + text);
            item->setTextAlignment(c == kReasonColumn ? Qt::AlignLeft | Qt::AlignVCenter
                                                      : Qt::AlignCenter);
            if (!faults.empty())
                item->setBackground(QColor(0xff, 0xc8, 0xc8));
            preview_->setItem(line, c, item);
        }
        ++line;
    }
    preview_->resizeColumnsToContents();
    summary_->setText(refused == 0 ? QString()
                                   : tr("%1 个信道不符合要求，将保持原样").arg(refused));
    ok_->setEnabled(!rows.empty());
}
