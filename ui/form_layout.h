// The main form's layout. The controls keep the places the form designer gave them, scaled by
// one factor for both axes with the font scaled alike (rounded down to whole pixels, so every
// text keeps fitting its control) on a small screen; room beyond the form's own size goes to
// the controls that grow.
#pragma once

#include <QFont>
#include <QLayout>
#include <QList>
#include <QRectF>

class QPlainTextEdit;

class CFormLayout : public QLayout {
    Q_OBJECT
public:
    // Smallest scale that still reads well; below it the form needs scrolling instead.
    static constexpr double kSmallestScale = 0.85;

    // Takes over every direct child of form where it stands now; the form's current size and
    // font are the full-size template.
    explicit CFormLayout(QWidget* form);
    ~CFormLayout() override;

    // The widget takes the extra room in these directions. Widgets that lie wholly right of (or
    // below) every widget growing that way move along by the same amount.
    void SetGrowth(QWidget* widget, Qt::Orientations directions);
    // Extra room the form asks for at full scale beyond its template size.
    void SetPreferredExtra(QSize extra);
    // 1 = the template's own size and font.
    double Scale() const { return m_scale; }
    // The font's pixel size at a scale: whole pixels, never more than the scale gives.
    int PixelSizeAt(double scale) const;
    // The largest scale at which the template fits into size, within kSmallestScale..1.
    static double ScaleFor(QSize templateSize, QSize size);
    QSize TemplateSize() const { return m_templateSize; }

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;
    Qt::Orientations expandingDirections() const override;

signals:
    void scaleChanged(double scale);

private:
    struct Entry {
        QLayoutItem* item;
        QRectF place;  // in template pixels
        Qt::Orientations growth;
    };
    void ApplyScale(double scale);

    QList<Entry> m_entries;
    QSize m_templateSize;
    QSize m_preferredExtra;
    QFont m_templateFont;
    int m_templatePixelSize = 0;
    double m_scale = 1.0;
};

// Keeps the newest line of the log whole in view while the log is at its end, also when the log
// is resized or first shown; a user who scrolled back is left where they are.
void FollowNewestLine(QPlainTextEdit* log);

// Lays out the main form: the channel list and the log take the room a larger window gives, the
// log asks for room to show ten lines and keeps its newest line in view, and the list's columns
// follow the form's scale.
CFormLayout* LayOutMainForm(QWidget* form);

// Where a top-level window's client area goes so that the whole frame, title bar and borders
// included, lies inside `area`: as large as it was or as fits, moved in where it stuck out.
QRect ClientWithinArea(const QRect& client, const QRect& frame, const QRect& area);
