// Shows what differs between the configuration the window holds and the one the radio holds;
// before a write (写入前比较), what the write will change on the radio, with the choice to go on.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

#include "image_diff.h"

class QPlainTextEdit;

namespace orvel {

class CompareDialog : public QDialog {
    Q_OBJECT

public:
    enum class Purpose { Compare, BeforeWrite };

    explicit CompareDialog(const QStringList& lines, QWidget* parent = nullptr,
                           Purpose purpose = Purpose::Compare);

    QString text() const;

private:
    QPlainTextEdit* m_text = nullptr;
};

// "信道3 接收频率: 226.000 -> 226.500", "设置 波特率: 1 -> 3", "头部: 330681 -> 330682",
// "备用区A: 字节 131 05 -> 07": the text form of a difference with the window's names, in the
// window's language.
QString DifferenceLineShown(const orvel::ConfigDifference& difference);
// One line per difference, or the single line 无差异.
QStringList DifferenceLinesShown(const std::vector<orvel::ConfigDifference>& differences);

}  // namespace orvel
