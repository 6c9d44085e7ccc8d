#include "find_radio_dialog.h"

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
#include "row_table.h"

namespace orvel {

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
      m_ports(std::move(ports)),
      m_answered(m_ports.size(), false),
      m_openPort(openPort) {
    setWindowTitle(tr("查找电台"));
    auto* layout = new QVBoxLayout(this);
    m_status = new QLabel(tr("正在查找电台，请稍候……"), this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    m_busy = new QProgressBar(this);
    m_busy->setObjectName(QStringLiteral("busyBar"));
    m_busy->setRange(0, 0);  // no steps: every port is asked at the same time
    m_busy->setTextVisible(false);
    m_busy->setFixedHeight(12);
    // Spoken with what the label above it says: searching, or what the search found.
    m_status->setBuddy(m_busy);
    layout->addWidget(m_busy);

    m_table = new QTableWidget(static_cast<int>(m_ports.size()), 2, this);
    SetUpRowTable(m_table, "portTable", windowTitle());
    m_table->setHorizontalHeaderLabels({tr("串口"), tr("电台")});
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        const int row = static_cast<int>(i);
        QString name = m_ports[i].name;
        if (!m_ports[i].description.isEmpty())
            name += QStringLiteral(" — ") + m_ports[i].description;
        if (m_ports[i].open)
            name += tr("（当前）");
        m_table->setItem(row, 0, new QTableWidgetItem(name));
        m_table->setItem(row, 1, new QTableWidgetItem(tr("查找中…")));
    }
    m_table->setColumnWidth(0, 190);
    layout->addWidget(m_table);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_use = new QPushButton(tr("使用此串口"), this);
    m_use->setObjectName(QStringLiteral("useButton"));
    m_use->setDefault(true);
    m_cancel = new QPushButton(tr("取消"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(m_use);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    resize(380, 150 + 24 * std::min<int>(static_cast<int>(m_ports.size()), 8));

    connect(m_use, &QPushButton::clicked, this, [this] { Choose(m_table->currentRow()); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { Choose(row); });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &FindRadioDialog::UpdateButtons);
    // Unlike an exchange's pause this one takes clicks: the search can be called off meanwhile.
    pause = [this](int milliseconds) {
        if (m_cancelled)
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
    if (!m_started)
        QTimer::singleShot(0, this, &FindRadioDialog::StartSearch);
}

void FindRadioDialog::StartSearch() {
    if (m_started)
        return;
    m_started = true;
    m_pending = static_cast<int>(m_ports.size());
    std::vector<std::string> devices;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        if (!m_ports[i].open || m_openPort == nullptr) {
            devices.push_back(m_ports[i].device);
            rows.push_back(i);
        }
    }
    m_run = std::make_unique<ProbeRun>(
        devices, [this, rows](std::size_t index, const ProbeResult& result) {
            QMetaObject::invokeMethod(
                this, [this, row = rows[index], result] { ShowResult(row, result); },
                Qt::QueuedConnection);
        });
    // The window's own port would be busy to a second open: it is asked through itself, here,
    // while the other ports are asked on their threads.
    for (std::size_t i = 0; i < m_ports.size() && m_openPort != nullptr; ++i) {
        if (m_ports[i].open)
            ShowResult(i, ProbeOpenPort(*m_openPort, pause));
    }
    if (m_pending == 0)
        Finish();
}

void FindRadioDialog::ShowResult(std::size_t row, const ProbeResult& result) {
    QTableWidgetItem* item = m_table->item(static_cast<int>(row), 1);
    item->setText(StatusText(result));
    item->setToolTip(QString::fromStdString(result.detail));
    m_answered[row] = result.status == ProbeStatus::Radio;
    if (--m_pending == 0 && !m_cancelled)
        Finish();
    UpdateButtons();
}

void FindRadioDialog::Finish() {
    m_busy->hide();
    m_cancel->setText(tr("关闭"));
    const auto radios = std::count(m_answered.begin(), m_answered.end(), true);
    if (radios == 0) {
        m_status->setText(tr("查找完毕：没有电台应答。请检查电缆、电台电源和串口权限。"));
    } else {
        m_status->setText(
            tr("查找完毕：%1 个串口，%2 台电台应答。").arg(m_ports.size()).arg(radios));
        if (m_table->currentRow() < 0 ||
            !m_answered[static_cast<std::size_t>(m_table->currentRow())]) {
            const auto first = std::find(m_answered.begin(), m_answered.end(), true);
            m_table->selectRow(static_cast<int>(first - m_answered.begin()));
        }
    }
    UpdateButtons();
}

void FindRadioDialog::UpdateButtons() {
    const int row = m_table->currentRow();
    m_use->setEnabled(row >= 0 && m_answered[static_cast<std::size_t>(row)]);
}

bool FindRadioDialog::Choose(int row) {
    if (row < 0 || row >= static_cast<int>(m_ports.size()) ||
        !m_answered[static_cast<std::size_t>(row)]) {
        return false;
    }
    m_chosen = m_ports[static_cast<std::size_t>(row)].name;
    accept();
    return true;
}

void FindRadioDialog::done(int result) {
    // Closing calls the search off: the threads stop at their next pause.
    m_cancelled = true;
    if (m_run)
        m_run->Cancel();
    QDialog::done(result);
}

}  // namespace orvel
