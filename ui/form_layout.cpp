#include "form_layout.h"

#include "chighlightlistctrl.h"
#include "language.h"

#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QWidget>
#include <QWidgetItem>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Scales move in small fixed steps, so that dragging the window's edge does not re-render the
// fonts at every pixel.
constexpr double kScaleStep = 0.025;

// The form was drawn for its Chinese texts. In a translation, an option button whose text is
// longer takes the room to its right, up to the edge of the frame it stands in or the next
// control on its line; nothing moves, and a button whose text fits keeps its place exactly.
void WidenCutButtons(QWidget* form) {
    constexpr int kGap = 4;
    const auto children = form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* widget : children) {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (!button || qobject_cast<QPushButton*>(widget))
            continue;
        QRect place = widget->geometry();
        const int needed = widget->sizeHint().width();
        if (needed <= place.width())
            continue;
        int limit = form->width() - kGap;
        for (QWidget* other : children) {
            const QRect area = other->geometry();
            if (qobject_cast<QGroupBox*>(other)) {
                if (area.contains(place.topLeft()))
                    limit = std::min(limit, area.right() - kGap);
            } else if (other != widget && area.left() > place.left() &&
                       area.top() < place.bottom() && area.bottom() > place.top()) {
                limit = std::min(limit, area.left() - kGap);
            }
        }
        place.setWidth(std::max(place.width(), std::min(needed, limit - place.left())));
        widget->setGeometry(place);
    }
}

}  // namespace

CFormLayout::CFormLayout(QWidget* form) : QLayout(form) {
    setContentsMargins(0, 0, 0, 0);
    setSizeConstraint(QLayout::SetDefaultConstraint);
    m_templateSize = form->size();
    m_templateFont = form->font();
    m_templatePixelSize = QFontInfo(m_templateFont).pixelSize();
    const auto children = form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (child->isWindow())
            continue;
        m_entries.append({new QWidgetItem(child), QRectF(child->geometry()), {}});
    }
    // A form that sets its own minimum would keep the layout from scaling it down.
    form->setMinimumSize(0, 0);
}

CFormLayout::~CFormLayout() {
    for (const Entry& entry : std::as_const(m_entries))
        delete entry.item;
}

void CFormLayout::SetGrowth(QWidget* widget, Qt::Orientations directions) {
    for (Entry& entry : m_entries) {
        if (entry.item->widget() == widget)
            entry.growth = directions;
    }
    invalidate();
}

void CFormLayout::SetPreferredExtra(QSize extra) {
    m_preferredExtra = extra;
    invalidate();
}

void CFormLayout::addItem(QLayoutItem* item) {
    const QWidget* widget = item->widget();
    m_entries.append({item, widget ? QRectF(widget->geometry()) : QRectF(), {}});
}

QLayoutItem* CFormLayout::itemAt(int index) const {
    return index >= 0 && index < m_entries.size() ? m_entries[index].item : nullptr;
}

QLayoutItem* CFormLayout::takeAt(int index) {
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    return m_entries.takeAt(index).item;
}

int CFormLayout::count() const {
    return static_cast<int>(m_entries.size());
}

QSize CFormLayout::sizeHint() const {
    return m_templateSize + m_preferredExtra;
}

QSize CFormLayout::minimumSize() const {
    return QSize(static_cast<int>(std::ceil(m_templateSize.width() * kSmallestScale)),
                 static_cast<int>(std::ceil(m_templateSize.height() * kSmallestScale)));
}

Qt::Orientations CFormLayout::expandingDirections() const {
    return Qt::Horizontal | Qt::Vertical;
}

double CFormLayout::ScaleFor(QSize templateSize, QSize size) {
    if (templateSize.isEmpty())
        return 1.0;
    const double fit = std::min(double(size.width()) / templateSize.width(),
                                double(size.height()) / templateSize.height());
    // The small offset keeps an exact fit from falling a step lower by rounding.
    const double stepped = std::floor(fit / kScaleStep + 1e-6) * kScaleStep;
    return std::clamp(stepped, kSmallestScale, 1.0);
}

void CFormLayout::ApplyScale(double scale) {
    if (std::abs(scale - m_scale) < 1e-9)
        return;
    m_scale = scale;
    if (QWidget* form = parentWidget()) {
        QFont font = m_templateFont;
        if (scale < 1.0)
            font.setPixelSize(PixelSizeAt(scale));
        form->setFont(font);
    }
    emit scaleChanged(scale);
}

int CFormLayout::PixelSizeAt(double scale) const {
    return std::max(1, static_cast<int>(std::floor(m_templatePixelSize * scale + 1e-6)));
}

void CFormLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    ApplyScale(ScaleFor(m_templateSize, rect.size()));
    const double s = m_scale;
    const double extraWidth = std::max(0.0, rect.width() - m_templateSize.width() * s);
    const double extraHeight = std::max(0.0, rect.height() - m_templateSize.height() * s);

    // The growing widgets' far edges, in template pixels: whatever lies beyond them moves.
    double growRight = -1;
    double growBottom = -1;
    for (const Entry& entry : std::as_const(m_entries)) {
        if (entry.growth & Qt::Horizontal)
            growRight = std::max(growRight, entry.place.right());
        if (entry.growth & Qt::Vertical)
            growBottom = std::max(growBottom, entry.place.bottom());
    }

    for (const Entry& entry : std::as_const(m_entries)) {
        double left = entry.place.left() * s;
        double top = entry.place.top() * s;
        double right = entry.place.right() * s;
        double bottom = entry.place.bottom() * s;
        if (entry.growth & Qt::Horizontal) {
            right += extraWidth;
        } else if (growRight >= 0 && entry.place.left() >= growRight) {
            left += extraWidth;
            right += extraWidth;
        }
        if (entry.growth & Qt::Vertical) {
            bottom += extraHeight;
        } else if (growBottom >= 0 && entry.place.top() >= growBottom) {
            top += extraHeight;
            bottom += extraHeight;
        }
        const QPoint topLeft(static_cast<int>(std::lround(left)) + rect.x(),
                             static_cast<int>(std::lround(top)) + rect.y());
        const QPoint farEdge(static_cast<int>(std::lround(right)) + rect.x(),
                             static_cast<int>(std::lround(bottom)) + rect.y());
        QWidget* widget = entry.item->widget();
        if (!widget)
            continue;
        QRect place(topLeft, farEdge - QPoint(1, 1));
        // A font's height does not shrink quite in step with it: a label or a closed combo box
        // keeps the height its text needs, about the same centre line.
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QComboBox*>(widget)) {
            const int needed = widget->minimumSizeHint().height();
            if (place.height() < needed) {
                place.moveTop(place.top() - (needed - place.height()) / 2);
                place.setHeight(needed);
            }
        }
        // Set directly: a layout item would bound fixed-height controls to their size hints,
        // while the template's heights are what keeps the form's rows aligned.
        widget->setGeometry(place);
    }
}

void FollowNewestLine(QPlainTextEdit* log) {
    QScrollBar* bar = log->verticalScrollBar();
    auto following = std::make_shared<bool>(true);
    QObject::connect(bar, &QScrollBar::valueChanged, log,
                     [bar, following](int value) { *following = value >= bar->maximum(); });
    // A resize or the first show changes how many lines fit, and so the end of the range.
    QObject::connect(bar, &QScrollBar::rangeChanged, log, [bar, following](int, int maximum) {
        if (*following)
            bar->setValue(maximum);
    });
}

CFormLayout* LayOutMainForm(QWidget* form) {
    if (CurrentLanguage() != UiLanguage::Chinese)
        WidenCutButtons(form);
    auto* layout = new CFormLayout(form);
    const auto find = [form](const char* name) {
        return form->findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    };
    for (const char* name : {"boxChannelList", "channelList"})
        layout->SetGrowth(find(name), Qt::Horizontal);
    for (const char* name : {"boxMessages", "logEdit"})
        layout->SetGrowth(find(name), Qt::Horizontal | Qt::Vertical);

    if (auto* log = qobject_cast<QPlainTextEdit*>(find("logEdit"))) {
        // Ten lines of text and the empty line that the last line break leaves; the viewport
        // loses the document's top margin and one pixel to the line count.
        constexpr int kLineSlots = 11;
        const int margin = static_cast<int>(std::ceil(log->document()->documentMargin()));
        const int viewport = kLineSlots * log->fontMetrics().lineSpacing() + margin + 2;
        const int wanted = viewport + 2 * log->frameWidth();
        layout->SetPreferredExtra(QSize(0, std::max(0, wanted - log->height())));
        FollowNewestLine(log);
    }
    if (auto* list = qobject_cast<CHighlightListCtrl*>(find("channelList"))) {
        QObject::connect(layout, &CFormLayout::scaleChanged, list,
                         &CHighlightListCtrl::SetWidthScale);
    }
    return layout;
}

QRect ClientWithinArea(const QRect& client, const QRect& frame, const QRect& area) {
    const QMargins decoration(client.left() - frame.left(), client.top() - frame.top(),
                              frame.right() - client.right(), frame.bottom() - client.bottom());
    const QSize size = client.size().boundedTo(area.size().shrunkBy(decoration));
    QRect placed(frame.topLeft(), size.grownBy(decoration));
    if (placed.right() > area.right())
        placed.moveRight(area.right());
    if (placed.bottom() > area.bottom())
        placed.moveBottom(area.bottom());
    placed.moveLeft(std::max(placed.left(), area.left()));
    placed.moveTop(std::max(placed.top(), area.top()));
    return placed.marginsRemoved(decoration);
}
