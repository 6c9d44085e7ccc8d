#include "plan_library_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "echo_text.h"
#include "record_store.h"
#include "row_table.h"

namespace orvel {

namespace {

QString Shown(const std::string& text) {
    return QString::fromStdString(EscapeControls(text));
}

}  // namespace

PlanLibraryDialog::PlanLibraryDialog(const RecordSettings& settings, const MemoryImage& current,
                                     const QString& suggestedName, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_current(current), m_suggested(suggestedName) {
    setObjectName(QStringLiteral("planLibraryDialog"));
    setWindowTitle(tr("方案库"));
    auto* layout = new QVBoxLayout(this);
    const RecordPlace& place = settings.place;
    auto* where = new QLabel(
        tr("方案保存在：%1")
            .arg(place.server ? QString::fromStdString(place.server->shown)
                              : QDir::toNativeSeparators(QString::fromStdString(place.localFile))),
        this);
    where->setObjectName(QStringLiteral("planPlace"));
    where->setTextFormat(Qt::PlainText);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);

    m_model = new QStandardItemModel(0, 7, this);
    m_model->setHorizontalHeaderLabels({tr("方案"), tr("版本"), QStringLiteral("SHA-256"),
                                        tr("添加时间 (UTC)"), tr("工作站"), tr("操作员"),
                                        tr("说明")});
    m_view = new QTableView(this);
    SetUpRowTable(m_view, "planTable", tr("方案库"));
    m_view->setModel(m_model);
    layout->addWidget(m_view, 1);
    connect(m_view, &QTableView::doubleClicked, this, &PlanLibraryDialog::openChosen);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("planStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    auto* buttons = new QDialogButtonBox(this);
    m_openButton = buttons->addButton(tr("打开(&O)"), QDialogButtonBox::ActionRole);
    m_openButton->setObjectName(QStringLiteral("planOpen"));
    auto* add = buttons->addButton(tr("添加当前文档(&A)..."), QDialogButtonBox::ActionRole);
    add->setObjectName(QStringLiteral("planAdd"));
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setText(tr("关闭"));
    layout->addWidget(buttons);
    connect(m_openButton, &QPushButton::clicked, this, &PlanLibraryDialog::openChosen);
    connect(add, &QPushButton::clicked, this, &PlanLibraryDialog::addCurrent);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_openButton->setEnabled(m_view->selectionModel()->hasSelection()); });

    askName = [this](const QString& suggested) -> std::optional<QString> {
        bool ok = false;
        const QString name = QInputDialog::getText(this, tr("方案库"), tr("方案名称："),
                                                   QLineEdit::Normal, suggested, &ok);
        return ok ? std::optional<QString>(name) : std::nullopt;
    };
    resize(760, 420);
    refresh();
}

PlanLibraryDialog::~PlanLibraryDialog() = default;

QString PlanLibraryDialog::statusText() const {
    return m_status->text();
}

Status PlanLibraryDialog::store(bool create) {
    if (m_store)
        return {};
    return OpenRecordsForReading(m_settings.place, create).Into(m_store);
}

void PlanLibraryDialog::refresh() {
    m_model->removeRows(0, m_model->rowCount());
    m_versions.clear();
    std::vector<PlanSummary> plans;
    Status read = store(false).Then([&] { return m_store->Plans().Into(plans); });
    for (const PlanSummary& plan : plans) {
        std::vector<PlanVersion> versions;
        read = read.Then([&] { return m_store->PlanVersions(plan.name).Into(versions); });
        // Newest first, as a list of records is.
        m_versions.insert(m_versions.end(), versions.rbegin(), versions.rend());
    }
    for (const PlanVersion& v : m_versions) {
        QList<QStandardItem*> row;
        for (const QString& text :
             {Shown(v.name), QString::number(v.version),
              QString::fromStdString(v.sha256.substr(0, 12)),
              QString::fromStdString(v.addedUtc.substr(0, 19)).replace(u'T', u' '),
              Shown(v.station), Shown(v.operatorName), Shown(v.note)}) {
            row << new QStandardItem(text);
        }
        row[2]->setToolTip(QString::fromStdString(v.sha256));
        m_model->appendRow(row);
    }
    m_view->resizeColumnsToContents();
    m_openButton->setEnabled(false);
    if (!read) {
        m_store.reset();
        m_status->setText(tr("无法读取方案库：%1").arg(QString::fromStdString(read.error())));
    } else {
        m_status->setText(tr("%1 个方案，共 %2 个版本").arg(plans.size()).arg(m_versions.size()));
    }
}

void PlanLibraryDialog::openChosen() {
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    m_chosen = m_versions.at(static_cast<std::size_t>(rows.front().row()));
    accept();
}

void PlanLibraryDialog::addCurrent() {
    const std::optional<QString> name = askName(m_suggested);
    if (!name)
        return;
    PlanVersion plan;
    plan.name = name->trimmed().toStdString();
    plan.image = m_current;
    plan.station = m_settings.station;
    plan.operatorName = m_settings.operatorName;
    PlanAdded added;
    const Status done = CheckPlanName(plan.name).Then([&] { return store(true); }).Then([&] {
        return m_store->AddPlan(plan).Into(added);
    });
    if (!done) {
        m_store.reset();
        m_status->setText(tr("没有添加方案：%1").arg(QString::fromStdString(done.error())));
        return;
    }
    refresh();
    m_status->setText(added.added
                          ? tr("已添加方案 %1 第 %2 版").arg(Shown(plan.name)).arg(added.version)
                          : tr("方案 %1 第 %2 版已是这些数据，没有添加新版本")
                                .arg(Shown(plan.name))
                                .arg(added.version));
}

}  // namespace orvel
