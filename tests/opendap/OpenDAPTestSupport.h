// Helpers of the OpenDAP tests: fixture bytes, the reference values of an ncdump listing, and the
// formula of the handwritten GrADS-shaped dataset (tests/data/opendap/README.md).
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <span>

/// The bytes of tests/data/opendap/<name>.
QByteArray opendapFixture(const QString &name);
inline std::span<const unsigned char> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const unsigned char *>(bytes.constData()), size_t(bytes.size())};
}

/// The values of each variable in the "data:" part of an ncdump listing, as printed.
QMap<QString, QStringList> dmpValues(const QByteArray &listing);

/// The GrADS-shaped dataset's values at indexes of time, lev, lat and lon.
double gradsTmpprs(int t, int z, int y, int x);
double gradsTime(int t);
inline constexpr double kGradsLevels[4] = {1000.0, 850.0, 500.0, 10.0};
inline double gradsLatitude(int y)
{
    return -90.0 + 45.0 * y;
}
inline double gradsLongitude(int x)
{
    return 45.0 * x;
}
