// Shared pieces of the parser fuzz targets: the Qt application object some parsers need, the
// input as text, and the check that ends a run on a finding.
#pragma once

#include <QCoreApplication>
#include <QDebug>
#include <QVariant>
#include <QDateTime>
#include <QString>
#include <QStringDecoder>
#include <QTimeZone>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <algorithm>

namespace FuzzSupport {

/// Makes the process's QCoreApplication once (offscreen, no arguments of the fuzzer).
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "nimbrel-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *application = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)application;
}

/// A value as a property-list file keeps it: dates to the whole second (rounded down) and
/// within the 32-bit seconds from 2001 that libplist stores, less one at each end (a date
/// beyond stays at that end).
inline QVariant asStored(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        constexpr qint64 epoch = 978307200; // 2001-01-01 in Unix seconds
        const qint64 ms = value.toDateTime().toMSecsSinceEpoch();
        const qint64 seconds = std::clamp<qint64>((ms - (((ms % 1000) + 1000) % 1000)) / 1000 - epoch,
                                                  qint64(INT32_MIN) + 1, qint64(INT32_MAX) - 1);
        return QDateTime::fromSecsSinceEpoch(seconds + epoch, Qt::UTC);
    }
    case QMetaType::QVariantList: {
        QVariantList list = value.toList();
        for (QVariant &item : list)
            item = asStored(item);
        return list;
    }
    case QMetaType::QVariantMap: {
        QVariantMap map = value.toMap();
        for (QVariant &item : map)
            item = asStored(item);
        return map;
    }
    default:
        return value;
    }
}

/// Where two values first differ ("" when they are equal), for the report of a finding.
inline QString firstDifference(const QVariant &a, const QVariant &b, const QString &path = QStringLiteral("/"))
{
    if (a.typeId() == QMetaType::QVariantMap && b.typeId() == QMetaType::QVariantMap) {
        const QVariantMap x = a.toMap(), y = b.toMap();
        for (auto it = x.begin(); it != x.end(); ++it) {
            if (!y.contains(it.key()))
                return path + it.key() + QStringLiteral(" missing");
            const QString inner = firstDifference(it.value(), y.value(it.key()), path + it.key() + QLatin1Char('/'));
            if (!inner.isEmpty())
                return inner;
        }
        return x.size() == y.size() ? QString() : path + QStringLiteral(" has other keys");
    }
    if (a.typeId() == QMetaType::QVariantList && b.typeId() == QMetaType::QVariantList) {
        const QVariantList x = a.toList(), y = b.toList();
        for (qsizetype i = 0; i < std::min(x.size(), y.size()); ++i) {
            const QString inner = firstDifference(x[i], y[i], path + QString::number(i) + QLatin1Char('/'));
            if (!inner.isEmpty())
                return inner;
        }
        return x.size() == y.size() ? QString() : path + QStringLiteral(" differs in length");
    }
    if (a == b)
        return QString();
    QString text;
    QDebug(&text) << a << "vs" << b;
    return path + QLatin1Char(' ') + text;
}

/// Ends the run as a finding (libFuzzer keeps the input) when `condition` is false.
inline void require(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}

/// The input as text: UTF-8 when it is valid UTF-8, else Latin-1 (so any byte reaches the
/// parser), as the clients decode replies.
inline QString text(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : decoded;
}

} // namespace FuzzSupport
