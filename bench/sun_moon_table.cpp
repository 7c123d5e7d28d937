// bench-libraries: nimbrel_weather
// Prints sun and moon events for a run of local dates at one place, so that any published
// table can be compared with this program's answers:
//
//   sun_moon_table LAT LON ZONE FIRST_DATE DAYS
//
// LAT and LON in degrees (north and east positive), ZONE an IANA zone name, FIRST_DATE as
// yyyy-MM-dd. One tab-separated line per local date: the events of that date as UTC ISO 8601
// instants to the second ("none" where the event does not happen that day) and the moon phase
// (0 new, 0.5 full) with 4 decimals. Each date is asked about at its local noon.
#include "weather/OVLocation.h"
#include "weather/OVMoon.h"
#include "weather/OVSun.h"

#include <QCoreApplication>
#include <QDate>
#include <QTimeZone>

#include <cstdio>
#include <memory>

namespace {

QString instantText(const QDateTime &instant)
{
    return instant.isValid() ? instant.toUTC().toString(Qt::ISODate) : QStringLiteral("none");
}

int usage(const char *message)
{
    std::fprintf(stderr, "sun_moon_table: %s\nusage: sun_moon_table LAT LON ZONE FIRST_DATE DAYS\n",
                 message);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 6)
        return usage("expected five arguments");
    bool latitudeOk = false, longitudeOk = false, daysOk = false;
    const double latitude = QString::fromLocal8Bit(argv[1]).toDouble(&latitudeOk);
    const double longitude = QString::fromLocal8Bit(argv[2]).toDouble(&longitudeOk);
    const QTimeZone zone{QByteArray(argv[3])};
    const QDate firstDate = QDate::fromString(QString::fromLocal8Bit(argv[4]), Qt::ISODate);
    const int days = QString::fromLocal8Bit(argv[5]).toInt(&daysOk);
    if (!latitudeOk || !longitudeOk)
        return usage("LAT and LON must be numbers");
    if (!zone.isValid())
        return usage("unknown time zone");
    if (!firstDate.isValid())
        return usage("FIRST_DATE must be yyyy-MM-dd");
    if (!daysOk || days < 0)
        return usage("DAYS must be a count");

    auto location = std::make_shared<OVLocation>();
    location->setLatitude(latitude, longitude);
    location->setLocationTimeZone(zone);

    std::printf("date\tsunrise\tsunset\tcivil_dawn\tcivil_dusk\tmoonrise\tmoonset\tmoon_phase\n");
    for (int i = 0; i < days; ++i) {
        const QDate day = firstDate.addDays(i);
        const QDateTime noon(day, QTime(12, 0), zone);
        const QString line =
            QStringList{day.toString(Qt::ISODate),
                        instantText(OVSun::sunrise(noon, *location)),
                        instantText(OVSun::sunset(noon, *location)),
                        instantText(OVSun::sunriseWithCivilTwilight(noon, *location)),
                        instantText(OVSun::sunsetWithCivilTwilight(noon, *location)),
                        instantText(OVMoon::moonrise(noon, *location)),
                        instantText(OVMoon::moonset(noon, *location)),
                        QString::asprintf("%.4f", OVMoon::moonPhase(noon, zone))}
                .join(QLatin1Char('\t'));
        std::printf("%s\n", line.toUtf8().constData());
    }
    return 0;
}
