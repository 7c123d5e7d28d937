// The module settings store: precedence, module keys and archived values.
#include "core/views/OVSettings.h"

#include "core/OVTextAttributes.h"
#include "platform/OVUserDefaults.h"
#include "support/TestHelpers.h"

#include <QColor>
#include <QFont>

#include <gtest/gtest.h>

TEST(OVSettings, UserDefaultBeatsTheInMemoryValue)
{
    OVSettings::setSetting(5, QStringLiteral("precedence"));
    EXPECT_EQ(OVSettings::intForKey(QStringLiteral("precedence")), 5);
    OVUserDefaults::standard().setObject(QStringLiteral("0"), QStringLiteral("precedence"));
    EXPECT_EQ(OVSettings::settingForKey(QStringLiteral("precedence")), QVariant(QStringLiteral("0")));
    EXPECT_EQ(OVSettings::intForKey(QStringLiteral("precedence")), 0);

    OVSettings::setSetting(QVariant(), QStringLiteral("precedence"));
    EXPECT_FALSE(OVSettings::settingForKey(QStringLiteral("precedence")).isValid());

    OVSettings::registerSavedDefaults({{QStringLiteral("registered"), QStringLiteral("YES")},
                                       {QStringLiteral("ratio"), QStringLiteral("0.7")}});
    EXPECT_TRUE(OVSettings::boolForKey(QStringLiteral("registered")));
    EXPECT_FLOAT_EQ(OVSettings::floatForKey(QStringLiteral("ratio")), 0.7f);
}

TEST(OVSettings, ModuleKeysAreNamespacedInTheUserDefaults)
{
    EXPECT_EQ(OVSettings::moduleKey(QStringLiteral("Map"), QStringLiteral("zoom")), QStringLiteral("Module_Map_zoom"));
    OVUserDefaults::standard().setObject(QStringLiteral("4"), QStringLiteral("Module_Map_zoom"));
    EXPECT_EQ(OVSettings::moduleIntForKey(QStringLiteral("Map"), QStringLiteral("zoom")), 4);

    OVSettings::moduleSetSetting(QStringLiteral("Map"), 2.5, QStringLiteral("zoom"));
    EXPECT_EQ(OVUserDefaults::standard().objectForKey(QStringLiteral("Module_Map_zoom")).toDouble(), 2.5);
    EXPECT_FLOAT_EQ(OVSettings::moduleFloatForKey(QStringLiteral("Map"), QStringLiteral("zoom")), 2.5f);

    OVSettings::moduleRegisterSavedDefaults(QStringLiteral("Graph"), {{QStringLiteral("smooth"), QStringLiteral("1")}});
    EXPECT_TRUE(OVUserDefaults::standard().registeredDefaults().contains(QStringLiteral("Module_Graph_smooth")));
    EXPECT_TRUE(OVSettings::moduleBoolForKey(QStringLiteral("Graph"), QStringLiteral("smooth")));
}

TEST(OVSettings, ArchivedDictionaryRoundTripsThroughTheSettingsFile)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    const QVariantMap attributes{{OVFontAttributeName, font},
                                 {OVForegroundColorAttributeName, QColor::fromRgbF(0.2f, 0.4f, 0.6f)},
                                 {QStringLiteral("count"), 3}};
    const QByteArray archive = OVSettings::archivedData(attributes);
    ASSERT_FALSE(archive.isEmpty());
    // Straight into the file, then read back by a fresh defaults object.
    OVUserDefaults::standard().setObject(archive, QStringLiteral("Module_Legend_text"));
    OVUserDefaults::resetStandard(OVUserDefaults::standardPath());

    const QVariant restored = OVSettings::moduleUnarchivedSettingForKey(QStringLiteral("Legend"), QStringLiteral("text"));
    EXPECT_EQ(restored.toMap(), attributes);

    const auto centred = OVSettings::centerTextForBase(QStringLiteral("Module_Legend_text"));
    ASSERT_TRUE(centred);
    EXPECT_EQ(centred->value(OVParagraphStyleAttributeName).value<OVParagraphStyle>(),
              OVParagraphStyle::truncatingTail(OVParagraphStyle::Center));
    EXPECT_EQ(centred->value(OVFontAttributeName).value<QFont>(), font);
    EXPECT_FALSE(OVSettings::leftTextForBase(QStringLiteral("nothing stored")));
}

TEST(OVSettings, AnythingButAnArchiveUnarchivesToNothing)
{
    const QByteArray archive = OVSettings::archivedData(QVariantMap{{QStringLiteral("a"), 1}});
    struct Case
    {
        const char *name;
        QVariant stored;
        bool logged;
    };
    const Case cases[] = {
        {"garbage bytes", QByteArray("\x00\x00\x00\x02garbage that is not an archive", 35), true},
        {"truncated archive", archive.left(archive.size() - 3), true},
        {"archive with trailing bytes", archive + QByteArray("xx"), true},
        {"empty bytes", QByteArray(), true},
        {"not bytes", QStringLiteral("plain text"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        OVSettings::setSetting(c.stored, QStringLiteral("archived"));
        EXPECT_FALSE(OVSettings::unarchivedSettingForKey(QStringLiteral("archived")).isValid());
        EXPECT_EQ(log.contains(QStringLiteral("[OVSettings unarchivedSettingForKey]")), c.logged);
    }
}
