#include "core_texts.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <array>

namespace {

// The fixed texts of the layers below, for lupdate: the lookup itself needs no list. A text
// added there must be added here too (the window tests check the tables and log lines).
[[maybe_unused]] constexpr const char* kFixedTexts[] = {
    // link/exchanges.h, ops/verify_write.h: log lines
    QT_TRANSLATE_NOOP("CoreText", "串口没有打开，请重新选择串口"),
    QT_TRANSLATE_NOOP("CoreText", "通信错误"),
    QT_TRANSLATE_NOOP("CoreText", "格式出错"),
    QT_TRANSLATE_NOOP("CoreText", "接收数据超时"),
    QT_TRANSLATE_NOOP("CoreText", "数据校验错"),
    QT_TRANSLATE_NOOP("CoreText", "***正确接收数据***"),
    QT_TRANSLATE_NOOP("CoreText", "***正确写入数据***"),
    QT_TRANSLATE_NOOP("CoreText", "写入特定数据 失败"),
    QT_TRANSLATE_NOOP("CoreText", "特定数据格式错误，未写入"),
    QT_TRANSLATE_NOOP("CoreText", "校验：读回数据…"),
    QT_TRANSLATE_NOOP("CoreText", "校验正确"),
    QT_TRANSLATE_NOOP("CoreText", "校验错误：数据校验错"),
    // core/channel_edit.cpp: the checks of the edit panel
    QT_TRANSLATE_NOOP("CoreText", "***接收频率数据非法***"),
    QT_TRANSLATE_NOOP("CoreText", "***发送频率数据非法***"),
    QT_TRANSLATE_NOOP("CoreText", "***SQL数据非法***"),
    QT_TRANSLATE_NOOP("CoreText", "***功率级别数据非法***"),
    QT_TRANSLATE_NOOP("CoreText", "***数据/语音数据非法***"),
    QT_TRANSLATE_NOOP("CoreText", "***信道速率数据非法***"),
    // core/radio_fields.h: column headings (list and report), setting names and words
    QT_TRANSLATE_NOOP("CoreText", "信道号"),
    QT_TRANSLATE_NOOP("CoreText", "接收频率"),
    QT_TRANSLATE_NOOP("CoreText", "发送频率"),
    QT_TRANSLATE_NOOP("CoreText", "发射频率"),
    QT_TRANSLATE_NOOP("CoreText", "功率级别"),
    QT_TRANSLATE_NOOP("CoreText", "信道速率"),
    QT_TRANSLATE_NOOP("CoreText", "数据/话音"),
    QT_TRANSLATE_NOOP("CoreText", "静噪电平"),
    QT_TRANSLATE_NOOP("CoreText", "数据/话音优先"),
    QT_TRANSLATE_NOOP("CoreText", "接收忙指示"),
    QT_TRANSLATE_NOOP("CoreText", "波特率"),
    QT_TRANSLATE_NOOP("CoreText", "校验位"),
    QT_TRANSLATE_NOOP("CoreText", "数据位"),
    QT_TRANSLATE_NOOP("CoreText", "停止位"),
    QT_TRANSLATE_NOOP("CoreText", "发射VCO"),
    QT_TRANSLATE_NOOP("CoreText", "遥控"),
    QT_TRANSLATE_NOOP("CoreText", "发射限时"),
    QT_TRANSLATE_NOOP("CoreText", "省电模式"),
    QT_TRANSLATE_NOOP("CoreText", "高-数据 低-话音"),
    QT_TRANSLATE_NOOP("CoreText", "低-数据 高-话音"),
    QT_TRANSLATE_NOOP("CoreText", "低-忙"),
    QT_TRANSLATE_NOOP("CoreText", "高-忙"),
    QT_TRANSLATE_NOOP("CoreText", "低-打开"),
    QT_TRANSLATE_NOOP("CoreText", "高-打开"),
    QT_TRANSLATE_NOOP("CoreText", "无校验"),
    QT_TRANSLATE_NOOP("CoreText", "奇校验"),
    QT_TRANSLATE_NOOP("CoreText", "偶校验"),
    QT_TRANSLATE_NOOP("CoreText", "7位"),
    QT_TRANSLATE_NOOP("CoreText", "8位"),
    QT_TRANSLATE_NOOP("CoreText", "1位"),
    QT_TRANSLATE_NOOP("CoreText", "2位"),
    QT_TRANSLATE_NOOP("CoreText", "禁止"),
    QT_TRANSLATE_NOOP("CoreText", "允许"),
    // core/vocabulary.h
    QT_TRANSLATE_NOOP("CoreText", "关"),
    QT_TRANSLATE_NOOP("CoreText", "开"),
    // core/report.cpp
    QT_TRANSLATE_NOOP("CoreText", "Brisa科技打印系统"),
    QT_TRANSLATE_NOOP("CoreText", "当前数据设置列表"),
};

// Texts with a number in them, matched whole; the number goes into the translation's %1.
struct Pattern {
    const char* expression;
    const char* source;
};
constexpr std::array<Pattern, 6> kPatterns{{
    {R"(^ 信道(\d+)$)", QT_TRANSLATE_NOOP("CoreText", " 信道%1")},
    {R"(^接收数据\[% (\d+)\]$)", QT_TRANSLATE_NOOP("CoreText", "接收数据[% %1]")},
    {R"(^写入数据\[% (\d+)\] 成功$)", QT_TRANSLATE_NOOP("CoreText", "写入数据[% %1] 成功")},
    {R"(^写入数据\[% (\d+)\] 失败$)", QT_TRANSLATE_NOOP("CoreText", "写入数据[% %1] 失败")},
    {R"(^校验错误：字 (0x[0-9A-F]{2})$)", QT_TRANSLATE_NOOP("CoreText", "校验错误：字 %1")},
    {R"(^数据设置 \[信道(\d+)\]$)", QT_TRANSLATE_NOOP("CoreText", "数据设置 [信道%1]")},
}};

QString Translate(const QString& text) {
    static const auto expressions = [] {
        std::array<QRegularExpression, kPatterns.size()> compiled;
        for (std::size_t i = 0; i < kPatterns.size(); ++i)
            compiled[i] = QRegularExpression(QString::fromUtf8(kPatterns[i].expression));
        return compiled;
    }();
    for (std::size_t i = 0; i < kPatterns.size(); ++i) {
        const QRegularExpressionMatch match = expressions[i].match(text);
        if (match.hasMatch())
            return QCoreApplication::translate("CoreText", kPatterns[i].source)
                .arg(match.captured(1));
    }
    const QByteArray source = text.toUtf8();
    return QCoreApplication::translate("CoreText", source.constData());
}

}  // namespace

QString CoreText(std::string_view text) {
    const QString source = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QString translated = Translate(source);
    if (translated != source)
        return translated;
    // A line's leading blanks (" ***正确接收数据***") indent it in the log in any language.
    qsizetype blanks = 0;
    while (blanks < source.size() && source[blanks] == QLatin1Char(' '))
        ++blanks;
    if (blanks == 0 || blanks == source.size())
        return source;
    return source.left(blanks) + Translate(source.mid(blanks));
}

std::string CoreTextUtf8(std::string_view text) {
    return CoreText(text).toStdString();
}

QString CoreLines(std::string_view text) {
    const QString lineBreak = QStringLiteral("\r\n");
    const QStringList lines =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).split(lineBreak);
    QStringList translated;
    for (const QString& line : lines)
        translated << (line.isEmpty() ? line : CoreText(line.toStdString()));
    return translated.join(lineBreak);
}
