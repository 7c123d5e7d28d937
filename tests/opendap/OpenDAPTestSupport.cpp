#include "OpenDAPTestSupport.h"

#include "support/TestHelpers.h"

#include <QRegularExpression>

QByteArray opendapFixture(const QString &name)
{
    return readTestFile(testDataPath(QStringLiteral("opendap/") + name));
}

QMap<QString, QStringList> dmpValues(const QByteArray &listing)
{
    QMap<QString, QStringList> values;
    const qsizetype data = listing.indexOf("\ndata:\n");
    if (data < 0)
        return values;
    static const QRegularExpression entry(QStringLiteral(R"((\S+) =\s*([^;]*);)"));
    const QString text = QString::fromLatin1(listing.mid(data + 7));
    for (auto it = entry.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        QStringList list;
        for (const QString &value : match.captured(2).split(u',', Qt::SkipEmptyParts)) {
            if (!value.trimmed().isEmpty())
                list << value.trimmed();
        }
        values.insert(match.captured(1), list);
    }
    return values;
}

double gradsTmpprs(int t, int z, int y, int x)
{
    if ((7 * t + 5 * z + 3 * y + x) % 23 == 5)
        return double(9.999e20f);
    return 200.0 + 10.0 * t + 2.0 * z + 0.5 * y + 0.125 * x;
}

double gradsTime(int t)
{
    return 738964.0 + 0.125 * t;
}
