#include "record_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include <map>
#include "file_access.h"
#include "record_columns.h"
#include "record_store.h"
#include "record_table_model.h"
#include "row_table.h"

namespace orvel {

namespace {

QLineEdit* FilterEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setClearButtonEnabled(true);
    return edit;
}

}  // namespace

RecordDialog::RecordDialog(const RecordPlace& place, QWidget* parent)
    : QDialog(parent), m_place(place) {
    setObjectName(QStringLiteral("recordDialog"));
    setWindowTitle(tr("编程记录"));
    auto* layout = new QVBoxLayout(this);
    auto* where = new QLabel(
        tr("记录保存在：%1")
            .arg(place.server ? QString::fromStdString(place.server->shown)
                              : QDir::toNativeSeparators(QString::fromStdString(place.localFile))),
        this);
    where->setObjectName(QStringLiteral("recordPlace"));
    where->setTextFormat(Qt::PlainText);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);

    auto* filters = new QFormLayout;
    m_unitEdit = FilterEdit("recordUnitFilter", this);
    m_planEdit = FilterEdit("recordPlanFilter", this);
    m_planEdit->setPlaceholderText(tr("文件名，或 SHA-256 的至少前 8 位"));
    m_stationEdit = FilterEdit("recordStationFilter", this);
    m_sinceEdit = FilterEdit("recordSinceFilter", this);
    m_sinceEdit->setPlaceholderText(QStringLiteral("2026-12-07"));
    filters->addRow(tr("单元(&U)："), m_unitEdit);
    filters->addRow(tr("方案(&P)："), m_planEdit);
    filters->addRow(tr("工作站(&T)："), m_stationEdit);
    filters->addRow(tr("起始日期 (UTC)(&D)："), m_sinceEdit);
    layout->addLayout(filters);
    for (QLineEdit* edit : {m_unitEdit, m_planEdit, m_stationEdit, m_sinceEdit})
        connect(edit, &QLineEdit::returnPressed, this, &RecordDialog::refresh);

    m_model = new RecordTableModel(this);
    m_view = new QTableView(this);
    SetUpRowTable(m_view, "recordTable", tr("编程记录"));
    m_view->setModel(m_model);
    layout->addWidget(m_view, 1);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RecordDialog::updateButtons);
    connect(m_model, &RecordTableModel::fetchFailed, this,
            [this](const QString& error) { setStatus(tr("无法读取编程记录：%1").arg(error)); });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("recordStatus"));
    // It repeats what a server said, which must not be taken for markup.
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    auto* buttons = new QDialogButtonBox(this);
    auto* query = buttons->addButton(tr("查询(&Q)"), QDialogButtonBox::ActionRole);
    query->setObjectName(QStringLiteral("recordQuery"));
    m_exportButton = buttons->addButton(tr("导出 CSV(&E)..."), QDialogButtonBox::ActionRole);
    m_exportButton->setObjectName(QStringLiteral("recordExport"));
    m_beforeButton = buttons->addButton(tr("打开写入前数据(&B)"), QDialogButtonBox::ActionRole);
    m_beforeButton->setObjectName(QStringLiteral("recordOpenBefore"));
    m_afterButton = buttons->addButton(tr("打开读出数据(&A)"), QDialogButtonBox::ActionRole);
    m_afterButton->setObjectName(QStringLiteral("recordOpenAfter"));
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setText(tr("关闭"));
    // Enter in a filter queries; it must not close the dialog.
    for (QPushButton* button : buttons->findChildren<QPushButton*>())
        button->setAutoDefault(false);
    layout->addWidget(buttons);
    connect(query, &QPushButton::clicked, this, &RecordDialog::refresh);
    connect(m_exportButton, &QPushButton::clicked, this, &RecordDialog::exportCsv);
    connect(m_beforeButton, &QPushButton::clicked, this, &RecordDialog::openBefore);
    connect(m_afterButton, &QPushButton::clicked, this, &RecordDialog::openAfter);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    exportFileName = [this](const QString& initialPath) {
        return QFileDialog::getSaveFileName(this, tr("编程记录"), initialPath,
                                            tr("CSV 文件 (*.csv)"));
    };
    // Wide for the record's columns, but never past the smallest screen's edge, where the
    // buttons would be out of reach.
    resize(screen() ? QSize(900, 480).boundedTo(screen()->availableGeometry().size())
                    : QSize(900, 480));
    refresh();
}

RecordDialog::~RecordDialog() = default;

QString RecordDialog::statusText() const {
    return m_status->text();
}

void RecordDialog::showUnit(const QString& unit) {
    m_unitEdit->setText(unit);
    m_beforeButton->hide();
    m_afterButton->hide();
    refresh();
}

void RecordDialog::setStatus(const QString& text) {
    m_status->setText(text);
}

Status RecordDialog::store() {
    return m_store ? Status() : OpenRecordsForReading(m_place).Into(m_store);
}

void RecordDialog::refresh() {
    RecordFilter filter;
    filter.unit = m_unitEdit->text().toStdString();
    FilterByPlan(filter, m_planEdit->text().trimmed().toStdString());
    filter.station = m_stationEdit->text().toStdString();
    const QString since = m_sinceEdit->text().trimmed();
    if (!since.isEmpty()) {
        filter.sinceUtc = UtcFromDate(since.toStdString());
        if (filter.sinceUtc.empty()) {
            setStatus(tr("起始日期应写成 2026-12-07 或 2026-12-07T13:45"));
            return;
        }
    }
    m_filter = filter;
    // A bench that has kept no record yet has none to show; that is no fault.
    if (!m_place.server && !QFileInfo::exists(QString::fromStdString(m_place.localFile))) {
        m_model->clear();
        setStatus(tr("还没有编程记录"));
        updateButtons();
        return;
    }
    std::size_t count = 0;
    const auto page = [this](const ProgrammingRecord* last, std::size_t size,
                             std::vector<ProgrammingRecord>& records, std::string& error) {
        RecordFilter next = m_filter;
        next.limit = size;
        if (last != nullptr) {
            next.afterStartedUtc = last->startedUtc;
            next.afterId = last->id;
        }
        const Status read = store().Then([&] { return m_store->Query(next).Into(records); });
        if (read)
            return true;
        error = read.error();
        m_store.reset();  // the next page connects anew
        return false;
    };
    Status read = store().Then([&] { return m_store->Count(filter).Into(count); });
    // Each unit's assigned plan beside its records; a library that cannot be read leaves the
    // column empty, the records as they are.
    std::vector<PlanSummary> plans;
    if (read && m_store->Plans().Into(plans)) {
        std::map<std::string, std::string> newest;
        for (const PlanSummary& plan : plans)
            newest[plan.name] = plan.newestSha256;
        m_model->setAssignments(
            [this,
             newest](const std::string& unit) -> std::optional<RecordTableModel::AssignedPlan> {
                std::optional<UnitAssignment> assigned;
                if (!m_store || !m_store->Unit(unit).Into(assigned) || !assigned)
                    return std::nullopt;
                const auto plan = newest.find(assigned->plan);
                return RecordTableModel::AssignedPlan{
                    assigned->plan, plan == newest.end() ? std::string() : plan->second};
            });
    }
    if (std::string error; read && !m_model->setSource(page, error))
        read = Failure{error};
    if (!read) {
        m_store.reset();
        m_model->clear();
        setStatus(tr("无法读取编程记录：%1").arg(QString::fromStdString(read.error())));
        updateButtons();
        return;
    }
    // A start that several plans share picks none of them.
    if (filter.planSha256.size() < 64 && !filter.planSha256.empty()) {
        std::vector<ProgrammingRecord> matching;
        if ((void)m_store->Query(filter).Into(matching); PlansStartingWith(filter, matching) > 1) {
            m_model->clear();
            setStatus(tr("%1 个方案的 SHA-256 都以 %2 开头，请多输入几位")
                          .arg(PlansStartingWith(filter, matching))
                          .arg(QString::fromStdString(filter.planSha256)));
            updateButtons();
            return;
        }
    }
    setStatus(tr("记录数：%1").arg(count));
    if (m_model->rowCount() > 0)
        m_view->selectRow(0);
    m_view->resizeColumnsToContents();
    updateButtons();
}

void RecordDialog::updateButtons() {
    const bool chosen = m_view->selectionModel()->hasSelection();
    m_beforeButton->setEnabled(chosen);
    m_afterButton->setEnabled(chosen);
    m_exportButton->setEnabled(m_model->rowCount() > 0);
}

void RecordDialog::exportCsv() {
    const QString path = exportFileName(QDir::home().filePath(QStringLiteral("records.csv")));
    if (path.isEmpty())
        return;
    // The export carries the images, which the list leaves out.
    std::vector<ProgrammingRecord> records;
    Status exported = store().Then([&] { return m_store->Query(m_filter, true).Into(records); });
    if (std::string error; exported && !WriteFileAtomically(path.toStdString(), RecordsCsv(records),
                                                            error, Readers::Owner))
        exported = Failure{error};
    if (!exported) {
        setStatus(tr("导出失败：%1").arg(QString::fromStdString(exported.error())));
        return;
    }
    setStatus(
        tr("已导出到 %1，记录数：%2").arg(QDir::toNativeSeparators(path)).arg(records.size()));
}

void RecordDialog::openImage(bool before) {
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    ProgrammingRecord record;
    const std::string chosen = m_model->record(rows.first().row()).id;
    if (const Status found = store().Then([&] { return m_store->Find(chosen).Into(record); });
        !found) {
        setStatus(tr("无法读取编程记录：%1").arg(QString::fromStdString(found.error())));
        return;
    }
    const std::optional<MemoryImage>& image = before ? record.before : record.after;
    if (!image) {
        setStatus(before ? tr("这条记录没有写入前的数据（写入前没有读出电台）")
                         : tr("这条记录没有读出的数据（写入后没有校验）"));
        return;
    }
    const QString id = QString::fromStdString(record.id.substr(0, 8));
    m_chosen = RecordImage{*image, before ? tr("编程记录 %1 的写入前数据").arg(id)
                                          : tr("编程记录 %1 的读出数据").arg(id)};
    accept();
}

}  // namespace orvel
