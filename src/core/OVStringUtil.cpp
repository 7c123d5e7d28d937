#include "core/OVStringUtil.h"

#include "core/OVConstants.h"
#include "core/OVTextAttributes.h"
#include "platform/OVLog.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFont>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <cmath>

namespace {

// Width used for "no limit": wide enough that a label never wraps.
constexpr double kUnboundedWidth = 1000000.0;

QFont fontOf(const QVariantMap &attributes)
{
    const QVariant font = attributes.value(OVFontAttributeName);
    return font.canConvert<QFont>() ? font.value<QFont>() : QFont();
}

} // namespace

namespace OVStringUtil {

bool boolValue(const QString &text)
{
    return !(text.isEmpty() || text == QLatin1String("0")
             || text.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0);
}

QString stringWithoutXMLTags(const QString &text)
{
    // "<" and ">" are single bytes that never occur inside a multi-byte UTF-8 sequence, so the
    // kept bytes always decode as whole characters.
    const QByteArray utf8 = text.toUtf8();
    QByteArray kept;
    kept.reserve(utf8.size());
    int64_t depth = 0;
    for (const char byte : utf8) {
        if (byte == '<')
            ++depth;
        else if (byte == '>')
            --depth;
        else if (depth == 0)
            kept.append(byte);
    }
    return QString::fromUtf8(kept);
}

double heightOfString(const QString &text, const QVariantMap &attributes, double pixelWidth)
{
    if (attributes.isEmpty()) {
        OVDebugLog(QStringLiteral("[NSStringUtil heightOfStringWithAttributes] Error:  Attributes is nil."));
        return 0.0;
    }
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(fontOf(attributes));
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(text);
    document.setTextWidth(pixelWidth == 0.0 ? kUnboundedWidth : pixelWidth);
    const double height = document.documentLayout() ? document.size().height() : -1.0;
    if (!std::isfinite(height) || height < 0.0) {
        OVDebugLog(QStringLiteral("[NSStringUtil heightOfStringWithAttributes] Error:  Failed to find the correct height."));
        return 0.0;
    }
    return height;
}

int64_t hasAnyStringInArray(const QString &text, const QStringList &candidates, int64_t index)
{
    if (index < 0 || index > text.size())
        return OVNotFound;
    const QStringView rest = QStringView(text).mid(qsizetype(index));
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const QString &candidate = candidates.at(i);
        if (!candidate.isEmpty() && rest.startsWith(candidate))
            return i;
    }
    return OVNotFound;
}

void makeUCFirst(QString &text)
{
    if (text.isEmpty())
        return;
    const bool pair = text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate();
    const char32_t first = pair ? QChar::surrogateToUcs4(text.at(0), text.at(1)) : text.at(0).unicode();
    const char32_t title = QChar::toTitleCase(first);
    text.replace(0, pair ? 2 : 1, QString::fromUcs4(&title, 1));
}

void chop(QString &text)
{
    if (text.isEmpty())
        return;
    const qsizetype n = text.size();
    const bool pair = n > 1 && text.at(n - 1).isLowSurrogate() && text.at(n - 2).isHighSurrogate();
    text.chop(pair ? 2 : 1);
}

void appendString(QTextDocument &document, const QString &text, const QVariantMap &attributes)
{
    if (text.isNull()) {
        OVDebugLog(QStringLiteral("[NSMutableAttributedStringUtil appendString] Error:  String to append is nil."));
        return;
    }
    if (attributes.isEmpty()) {
        OVDebugLog(QStringLiteral("[NSMutableAttributedStringUtil appendString] Error:  Attributes is nil."));
        return;
    }
    QTextCharFormat format;
    format.setFont(fontOf(attributes));
    const QVariant color = attributes.value(OVForegroundColorAttributeName);
    if (color.canConvert<QColor>())
        format.setForeground(color.value<QColor>());
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, format);
}

} // namespace OVStringUtil
