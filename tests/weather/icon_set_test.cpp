// The bundled weather icon images: every name the icon rules can choose, in day and night form,
// and every icon name the NDFD replies use, has a drawable image.
#include "support/TestHelpers.h"

#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherIconImages.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// Every icon the rules choose, found by running them over all weather codes, skies and
// temperatures by day and by night.
QSet<QString> namesTheRulesChoose()
{
    const QStringList intensities = {"", "-", "+"};
    const QStringList descriptors = {"", "TS", "SH", "FZ"};
    const QStringList precipitation = {"", "DZ", "RA", "SN", "SG", "IC", "PE", "GR", "GS", "UP"};
    const QStringList obscuration = {"", "BR", "FG", "FU", "VA", "DU", "SA", "HZ", "PY"};
    const QStringList other = {"", "PO", "SQ", "FC", "SS"};
    const QStringList skies = {"", "CLR", "FEW030", "SCT030", "BKN030", "OVC030", "BKN030 OVC080"};
    const double temperatures[] = {-1000, -5, 1, 20, 35};
    QSet<QString> names;
    for (bool isDay : {true, false})
        for (const QString &sky : skies)
            for (double t : temperatures)
                for (const QString &intensity : intensities)
                    for (const QString &descriptor : descriptors)
                        for (const QString &p : precipitation)
                            for (const QString &o : obscuration)
                                for (const QString &x : other) {
                                    OVWeatherConditions c;
                                    c.setIsDay(isDay);
                                    c.setSkyCover(sky);
                                    c.setTemperatureC(t);
                                    c.setPrecipitationIntensity(intensity);
                                    c.setPrecipitationDescriptor(descriptor);
                                    c.setPrecipitationType(p);
                                    c.setObscurationType(o);
                                    c.setOtherPhenomenaType(x);
                                    names.insert(c.iconName());
                                }
    return names;
}

// Icon names of the NDFD replies as the forecast clients keep them: the link's last path
// component up to its first ".", digits of a probability removed from both ends ("ra1" stays).
QSet<QString> ndfdIconNames()
{
    QSet<QString> names;
    const QDir folder(testDataPath(QStringLiteral("weather/conditions/ndfd")));
    static const QRegularExpression link(QStringLiteral("/([A-Za-z0-9_]+)\\.(jpg|png)"));
    for (const QString &file : folder.entryList(QDir::Files)) {
        QFile reply(folder.filePath(file));
        if (!reply.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(reply.readAll());
        for (auto it = link.globalMatch(text); it.hasNext();) {
            QString name = it.next().captured(1);
            if (name == QLatin1String("xml_logo"))
                continue;
            if (name != QLatin1String("ra1"))
                name.remove(QRegularExpression(QStringLiteral("^[0-9]+|[0-9]+$")));
            names.insert(name);
        }
    }
    return names;
}

} // namespace

TEST(IconSet, EveryChosenIconHasAnImageByDayAndByNight)
{
    const QSet<QString> names = namesTheRulesChoose();
    EXPECT_GE(names.size(), 40);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(OVWeatherIconImages::hasImage(name));
        const QImage image(OVWeatherIconImages::pathForIconName(name));
        EXPECT_EQ(image.size(), QSize(64, 64));
    }
    // Night forms exist for every day icon, so none falls back to its day form.
    EXPECT_TRUE(names.contains(QStringLiteral("nra.png")));
    EXPECT_TRUE(names.contains(QStringLiteral("hi_nshwrs.png")));
    EXPECT_TRUE(names.contains(QStringLiteral("nscttsra.png")));
    EXPECT_TRUE(OVWeatherIconImages::hasImage(QStringLiteral("na")));
}

TEST(IconSet, EveryNdfdIconNameHasAnImage)
{
    const QSet<QString> names = ndfdIconNames();
    EXPECT_GE(names.size(), 12);
    EXPECT_TRUE(names.contains(QStringLiteral("fzra")));
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(OVWeatherIconImages::hasImage(name));
        EXPECT_TRUE(OVWeatherIconImages::hasImage(name + QStringLiteral(".png")));
    }
}
