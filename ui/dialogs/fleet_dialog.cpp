#include "fleet_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <set>

#include "echo_text.h"
#include "fleet_table_model.h"
#include "record_dialog.h"
#include "record_store.h"
#include "row_table.h"

namespace orvel {

namespace {

QString Plain(const std::string& text) {
    return QString::fromStdString(EscapeControls(text));
}

template <typename T>
T* Named(T* control, const char* name, const QString& accessible) {
    control->setObjectName(QLatin1String(name));
    control->setAccessibleName(accessible);
    return control;
}

QComboBox* Filter(const char* name, const QString& accessible, QWidget* parent) {
    auto* box = Named(new QComboBox(parent), name, accessible);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->setMinimumContentsLength(12);
    return box;
}

}  // namespace

FleetDialog::FleetDialog(const RecordSettings& settings, const Configuration& config,
                         QWidget* parent)
    : QDialog(parent), m_settings(settings), m_config(config) {
    setObjectName(QStringLiteral("fleetDialog"));
    setWindowTitle(tr("机群状态"));
    auto* layout = new QVBoxLayout(this);

    m_counts = Named(new QLabel(this), "fleetCounts", tr("单元计数"));
    m_counts->setTextFormat(Qt::PlainText);
    m_counts->setWordWrap(true);
    QFont bold = m_counts->font();
    bold.setBold(true);
    m_counts->setFont(bold);
    layout->addWidget(m_counts);

    auto* filters = new QHBoxLayout;
    m_siteFilter = Filter("fleetSiteFilter", tr("站点"), this);
    m_planFilter = Filter("fleetPlanFilter", tr("方案"), this);
    auto* siteLabel = Named(new QLabel(tr("站点(&S)："), this), "fleetSiteLabel", tr("站点"));
    auto* planLabel = Named(new QLabel(tr("方案(&P)："), this), "fleetPlanLabel", tr("方案"));
    siteLabel->setBuddy(m_siteFilter);
    planLabel->setBuddy(m_planFilter);
    filters->addWidget(siteLabel);
    filters->addWidget(m_siteFilter);
    filters->addSpacing(12);
    filters->addWidget(planLabel);
    filters->addWidget(m_planFilter);
    filters->addStretch(1);
    layout->addLayout(filters);

    m_model = new FleetTableModel(this);
    m_view = new QTableView(this);
    SetUpRowTable(m_view, "fleetTable", tr("单元"), QAbstractItemView::ExtendedSelection);
    m_view->setModel(m_model);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_view->setWordWrap(false);
    layout->addWidget(m_view, 1);

    m_progress = Named(new QProgressBar(this), "fleetProgress", tr("检查进度"));
    m_progress->setFormat(tr("%v / %m 个单元"));
    m_progress->hide();
    layout->addWidget(m_progress);

    m_status = Named(new QLabel(this), "fleetStatus", tr("消息"));
    // It repeats what a server said, which must not be taken for markup.
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    auto* buttons = new QDialogButtonBox(this);
    const auto button = [buttons](const QString& text, const char* name, const QString& spoken) {
        return Named(buttons->addButton(text, QDialogButtonBox::ActionRole), name, spoken);
    };
    m_checkButton = button(tr("检查(&C)"), "fleetCheck", tr("检查"));
    m_writeButton = button(tr("写入选中单元(&W)"), "fleetWrite", tr("写入选中单元"));
    m_cancelButton = button(tr("取消(&X)"), "fleetCancel", tr("取消"));
    m_recordsButton = button(tr("记录(&R)..."), "fleetRecords", tr("记录"));
    m_closeButton = Named(buttons->addButton(QDialogButtonBox::Close), "fleetClose", tr("关闭"));
    m_closeButton->setText(tr("关闭"));
    for (QPushButton* each : buttons->findChildren<QPushButton*>())
        each->setAutoDefault(false);
    layout->addWidget(buttons);

    connect(m_checkButton, &QPushButton::clicked, this, &FleetDialog::check);
    connect(m_writeButton, &QPushButton::clicked, this, &FleetDialog::writeChosen);
    connect(m_cancelButton, &QPushButton::clicked, this, &FleetDialog::cancel);
    connect(m_recordsButton, &QPushButton::clicked, this, &FleetDialog::openRecords);
    connect(buttons, &QDialogButtonBox::rejected, this, &FleetDialog::reject);
    connect(m_view, &QTableView::doubleClicked, this, &FleetDialog::openRecords);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FleetDialog::updateControls);
    connect(m_model, &QAbstractItemModel::modelReset, this, &FleetDialog::updateControls);
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this] { m_counts->setText(m_model->counts()); });

    confirmWrite = [this](const QString& question) {
        return QMessageBox::question(this, tr("机群状态"), question) == QMessageBox::Yes;
    };
    showRecords = [this](const QString& unit) {
        RecordDialog records(m_settings.place, this);
        records.showUnit(unit);
        records.exec();
    };

    // The filters' choices: every site and every plan the library has.
    std::vector<UnitAssignment> all;
    std::vector<PlanSummary> plans;
    const Status listed = store().Then([&] { return m_store->Units({}, {}).Into(all); }).Then([&] {
        return m_store->Plans().Into(plans);
    });
    std::set<std::string> sites;
    for (const UnitAssignment& unit : all) {
        if (!unit.site.empty())
            sites.insert(unit.site);
    }
    m_siteFilter->addItem(tr("全部"), QString());
    for (const std::string& site : sites)
        m_siteFilter->addItem(Plain(site), QString::fromStdString(site));
    m_planFilter->addItem(tr("全部"), QString());
    for (const PlanSummary& plan : plans)
        m_planFilter->addItem(Plain(plan.name), QString::fromStdString(plan.name));
    for (QComboBox* box : {m_siteFilter, m_planFilter})
        connect(box, &QComboBox::currentIndexChanged, this, &FleetDialog::refresh);

    resize(780, 480);
    if (listed)
        refresh();
    else
        setStatus(tr("无法读取单元：%1").arg(QString::fromStdString(listed.error())));
    updateControls();
}

FleetDialog::~FleetDialog() {
    if (m_thread != nullptr) {
        m_cancelled = true;
        m_thread->wait();
        delete m_thread;
    }
}

QString FleetDialog::countsText() const {
    return m_counts->text();
}

QString FleetDialog::statusText() const {
    return m_status->text();
}

void FleetDialog::setStatus(const QString& text) {
    m_status->setText(text);
}

Status FleetDialog::store() {
    return m_store ? Status() : OpenRecordsForReading(m_settings.place).Into(m_store);
}

void FleetDialog::refresh() {
    std::vector<UnitAssignment> units;
    const std::string site = m_siteFilter->currentData().toString().toStdString();
    const std::string plan = m_planFilter->currentData().toString().toStdString();
    Status read = store().Then([&] { return m_store->Units(site, plan).Into(units); });
    m_plans.clear();
    std::vector<FleetTableModel::Row> rows;
    for (const UnitAssignment& unit : units) {
        if (!read)
            break;
        if (!unit.plan.empty() && !m_plans.contains(unit.plan)) {
            std::vector<PlanVersion> versions;
            // A plan whose row does not match its SHA-256 is never written: its units read as
            // having none, and the line says why.
            if (const Status got = m_store->PlanVersions(unit.plan).Into(versions); !got)
                setStatus(QString::fromStdString(got.error()));
            m_plans.emplace(unit.plan, std::move(versions));
        }
        RecordFilter filter;
        filter.unit = unit.unit;
        filter.limit = 1;
        std::vector<ProgrammingRecord> latest;
        read = m_store->Query(filter, true).Into(latest);
        FleetTableModel::Row row;
        row.unit = unit;
        const auto versions = m_plans.find(unit.plan);
        row.status = LastSeen(
            unit, versions == m_plans.end() ? std::vector<PlanVersion>() : versions->second,
            latest.empty() ? std::nullopt : std::optional(latest.front()), m_config);
        if (!latest.empty())
            row.seenUtc = latest.front().endedUtc;
        rows.push_back(std::move(row));
    }
    std::erase_if(m_plans, [](const auto& plan) { return plan.second.empty(); });
    if (!read) {
        rows.clear();
        setStatus(tr("无法读取单元：%1").arg(QString::fromStdString(read.error())));
    }
    m_model->setRows(std::move(rows));
    m_view->resizeColumnsToContents();
    // A long reason is whole in its tooltip; the list needs no scrolling sideways for it.
    m_view->setColumnWidth(FleetTableModel::Detail, 160);
    m_counts->setText(m_model->counts());
}

void FleetDialog::check() {
    std::vector<UnitAssignment> units;
    for (int row = 0; row < m_model->rowCount(); ++row)
        units.push_back(m_model->row(row).unit);
    run(std::move(units), FleetAction::Check);
}

void FleetDialog::writeChosen() {
    std::vector<UnitAssignment> units;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows()) {
        const FleetTableModel::Row& row = m_model->row(index.row());
        const FleetTableModel::Shown shown = FleetTableModel::ShownOf(row.status);
        if (shown == FleetTableModel::Shown::OutOfDate || shown == FleetTableModel::Shown::Differs)
            units.push_back(row.unit);
    }
    if (units.empty()) {
        setStatus(tr("选中的单元没有版本过旧或与方案不同的，没有写入"));
        return;
    }
    if (!confirmWrite(tr("将写入 %1 台电台。继续吗？").arg(units.size())))
        return;
    run(std::move(units), FleetAction::Apply);
}

void FleetDialog::run(std::vector<UnitAssignment> units, FleetAction action) {
    if (m_thread != nullptr || units.empty())
        return;
    FleetSelection selection;
    selection.units = std::move(units);
    for (const UnitAssignment& unit : selection.units) {
        if (const auto plan = m_plans.find(unit.plan); plan != m_plans.end())
            selection.plans.insert(*plan);
    }
    m_cancelled = false;
    m_progress->setRange(0, int(selection.units.size()));
    m_progress->setValue(0);
    m_progress->show();
    setStatus(action == FleetAction::Check ? tr("正在检查...") : tr("正在写入..."));
    // The units are read in threads of their own; this one keeps their records and tells the
    // dialog of each as it is done.
    m_thread = QThread::create([this, selection = std::move(selection), settings = m_settings,
                                config = m_config, action] {
        FleetHooks hooks;
        hooks.program = "orveltool";
        hooks.cancelled = [this] { return m_cancelled.load(); };
        hooks.done = [this](const UnitStatus& status) {
            const bool read =
                status.state != FleetState::NoPlan && status.state != FleetState::NoPort;
            QMetaObject::invokeMethod(
                this,
                [this, status, seen = read ? UtcNow() : std::string()] { unitDone(status, seen); },
                Qt::QueuedConnection);
        };
        hooks.recordLine = [this](const std::string& line) {
            QMetaObject::invokeMethod(
                this, [this, text = Plain(line)] { setStatus(text); }, Qt::QueuedConnection);
        };
        CheckUnits(selection, settings, config, action, hooks);
    });
    connect(m_thread, &QThread::finished, this, &FleetDialog::ended);
    m_thread->start();
    updateControls();
}

void FleetDialog::unitDone(const UnitStatus& status, const std::string& seenUtc) {
    m_model->update(status, seenUtc);
    m_progress->setValue(m_progress->value() + 1);
}

void FleetDialog::ended() {
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_progress->hide();
    const int left = m_progress->maximum() - m_progress->value();
    if (m_cancelled && left > 0)
        setStatus(tr("已取消：%1 个单元没有检查").arg(left));
    else if (m_status->text() == tr("正在检查...") || m_status->text() == tr("正在写入..."))
        setStatus(QString());
    updateControls();
    emit runFinished();
    if (m_closeWhenEnded)
        QDialog::reject();
}

void FleetDialog::cancel() {
    if (m_thread == nullptr)
        return;
    m_cancelled = true;
    setStatus(tr("正在取消：进行中的单元完成后停止"));
    updateControls();
}

void FleetDialog::reject() {
    if (m_thread == nullptr) {
        QDialog::reject();
        return;
    }
    // A write in progress ends with its radio; the dialog closes once it has.
    m_closeWhenEnded = true;
    cancel();
}

void FleetDialog::openRecords() {
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        showRecords(QString::fromStdString(m_model->row(current.row()).unit.unit));
}

void FleetDialog::updateControls() {
    const bool idle = m_thread == nullptr;
    const bool chosen = m_view->selectionModel()->hasSelection();
    m_checkButton->setEnabled(idle && m_model->rowCount() > 0);
    m_writeButton->setEnabled(idle && chosen);
    m_cancelButton->setEnabled(!idle && !m_cancelled);
    m_recordsButton->setEnabled(chosen);
    m_siteFilter->setEnabled(idle);
    m_planFilter->setEnabled(idle);
}

}  // namespace orvel
