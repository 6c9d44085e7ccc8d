#include "findradiodialog.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app_paths.h"
#include "port_name.h"
#include "port_probe.h"

using namespace orvel;

namespace {

QString StatusText(const ProbeResult& result) {
    switch (result.status) {
        case ProbeStatus::Radio:
            return QString::fromStdString(result.identity);
        case ProbeStatus::Silent:
            return FindRadioDialog::tr("无应答");
        case ProbeStatus::BadFormat:
            return FindRadioDialog::tr("格式出错");
        case ProbeStatus::Busy:
            return FindRadioDialog::tr("被占用");
        case ProbeStatus::Denied:
            return FindRadioDialog::tr("无权限");
        case ProbeStatus::NotAPort:
            return FindRadioDialog::tr("不是串口");
        case ProbeStatus::Missing:
            break;
    }
    return FindRadioDialog::tr("不存在");
}

}  // namespace

std::vector<FindRadioDialog::Port> FindRadioDialog::PortsToSearch(const QString& configuredDevice,
                                                                  const std::string& deviceInUse,
                                                                  bool inUseOpen) {
    std::vector<Port> candidates;
    for (const SystemPort& port : ListSystemPorts()) {
        candidates.push_back({QString::fromStdString(port.name), port.device, false,
                              QString::fromStdString(port.description)});
    }
    if (!configuredDevice.isEmpty())
        candidates.push_back({configuredDevice, ResolvePortName(configuredDevice.toStdString())});
    if (!deviceInUse.empty())
        candidates.push_back({QString::fromStdString(deviceInUse), deviceInUse});
    std::vector<std::string> devices;
    for (const Port& port : candidates)
        devices.push_back(port.device);
    // The first name of a device stays: the one the port menu shows.
    const std::vector<std::string> distinct = DistinctDevices(devices);
    std::vector<Port> ports;
    for (Port& port : candidates) {
        if (ports.size() < distinct.size() && port.device == distinct[ports.size()]) {
            port.open = inUseOpen && SamePort(port.device, deviceInUse);
            ports.push_back(std::move(port));
        }
    }
    return ports;
}

FindRadioDialog::FindRadioDialog(std::vector<Port> ports, orvel::Port* openPort, QWidget* parent)
    : QDialog(parent),
      ports_(std::move(ports)),
      answered_(ports_.size(), false),
      openPort_(openPort) {
    setWindowTitle(tr("查找电台"));
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(tr("正在查找电台，请稍候……"), this);
    status_->setObjectName(QStringLiteral("statusLabel"));
    status_->setWordWrap(true);
    layout->addWidget(status_);
    busy_ = new QProgressBar(this);
    busy_->setObjectName(QStringLiteral("busyBar"));
    busy_->setRange(0, 0);  // no steps: every port is asked at the same time
    busy_->setTextVisible(false);
    busy_->setFixedHeight(12);
    // Spoken with what the label above it says: searching, or what the search found.
    status_->setBuddy(busy_);
    layout->addWidget(busy_);

    table_ = new QTableWidget(static_cast<int>(ports_.size()), 2, this);
    table_->setObjectName(QStringLiteral("portTable"));
    table_->setAccessibleName(windowTitle());
    table_->setHorizontalHeaderLabels({tr("串口"), tr("电台")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        const int row = static_cast<int>(i);
        QString name = ports_[i].name;
        if (!ports_[i].description.isEmpty())
            name += QStringLiteral(" — ") + ports_[i].description;
        if (ports_[i].open)
            name += tr("（当前）");
        table_->setItem(row, 0, new QTableWidgetItem(name));
        table_->setItem(row, 1, new QTableWidgetItem(tr("查找中…")));
    }
    table_->setColumnWidth(0, 190);
    layout->addWidget(table_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    use_ = new QPushButton(tr("使用此串口"), this);
    use_->setObjectName(QStringLiteral("useButton"));
    use_->setDefault(true);
    cancel_ = new QPushButton(tr("取消"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(use_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    resize(380, 150 + 24 * std::min<int>(static_cast<int>(ports_.size()), 8));

    connect(use_, &QPushButton::clicked, this, [this] { Choose(table_->currentRow()); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { Choose(row); });
    connect(table_, &QTableWidget::itemSelectionChanged, this, &FindRadioDialog::UpdateButtons);
    // Unlike an exchange's pause this one takes clicks: the search can be called off meanwhile.
    pause = [this](int milliseconds) {
        if (cancelled_)
            return;
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    };
    UpdateButtons();
}

FindRadioDialog::~FindRadioDialog() = default;

void FindRadioDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_)
        QTimer::singleShot(0, this, &FindRadioDialog::StartSearch);
}

void FindRadioDialog::StartSearch() {
    if (started_)
        return;
    started_ = true;
    pending_ = static_cast<int>(ports_.size());
    std::vector<std::string> devices;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        if (!ports_[i].open || openPort_ == nullptr) {
            devices.push_back(ports_[i].device);
            rows.push_back(i);
        }
    }
    run_ = std::make_unique<ProbeRun>(
        devices, [this, rows](std::size_t index, const ProbeResult& result) {
            QMetaObject::invokeMethod(
                this, [this, row = rows[index], result] { ShowResult(row, result); },
                Qt::QueuedConnection);
        });
    // The window's own port would be busy to a second open: it is asked through itself, here,
    // while the other ports are asked on their threads.
    for (std::size_t i = 0; i < ports_.size() && openPort_ != nullptr; ++i) {
        if (ports_[i].open)
            ShowResult(i, ProbeOpenPort(*openPort_, pause));
    }
    if (pending_ == 0)
        Finish();
}

void FindRadioDialog::ShowResult(std::size_t row, const ProbeResult& result) {
    QTableWidgetItem* item = table_->item(static_cast<int>(row), 1);
    item->setText(StatusText(result));
    item->setToolTip(QString::fromStdString(result.detail));
    answered_[row] = result.status == ProbeStatus::Radio;
    if (--pending_ == 0 && !cancelled_)
        Finish();
    UpdateButtons();
}

void FindRadioDialog::Finish() {
    busy_->hide();
    cancel_->setText(tr("关闭"));
    const auto radios = std::count(answered_.begin(), answered_.end(), true);
    if (radios == 0) {
        status_->setText(tr("查找完毕：没有电台应答。请检查电缆、电台电源和串口权限。"));
    } else {
        status_->setText(tr("查找完毕：%1 个串口，%2 台电台应答。").arg(ports_.size()).arg(radios));
        if (table_->currentRow() < 0 ||
            !answered_[static_cast<std::size_t>(table_->currentRow())]) {
            const auto first = std::find(answered_.begin(), answered_.end(), true);
            table_->selectRow(static_cast<int>(first - answered_.begin()));
        }
    }
    UpdateButtons();
}

void FindRadioDialog::UpdateButtons() {
    const int row = table_->currentRow();
    use_->setEnabled(row >= 0 && answered_[static_cast<std::size_t>(row)]);
}

bool FindRadioDialog::Choose(int row) {
    if (row < 0 || row >= static_cast<int>(ports_.size()) ||
        !answered_[static_cast<std::size_t>(row)]) {
        return false;
    }
    chosen_ = ports_[static_cast<std::size_t>(row)].name;
    accept();
    return true;
}

void FindRadioDialog::done(int result) {
    // Closing calls the search off: the threads stop at their next pause.
    cancelled_ = true;
    if (run_)
        run_->Cancel();
    QDialog::done(result);
}
