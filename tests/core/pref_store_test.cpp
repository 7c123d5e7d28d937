#include "core/PrefTestSupport.h"

#include "core/OVTextAttributes.h"

#include <QColor>
#include <QFont>

#include <thread>

namespace {

const QString kKey = QStringLiteral("prefTestKey");

} // namespace

TEST_F(PrefTest, GettersAnswerNothingBeforeInitSettings)
{
    OVUserDefaults::standard().setObject("1", kKey);
    EXPECT_FALSE(NBPrefController::settingForKey(kKey).isValid());
    EXPECT_EQ(NBPrefController::integerForKey(kKey), 0);
    EXPECT_EQ(NBPrefController::floatForKey(kKey), 0.0f);
    EXPECT_FALSE(NBPrefController::boolForKey(kKey));
    EXPECT_FALSE(NBPrefController::centerTextForBase("standardText").has_value());
}

TEST_F(PrefTest, UserDefaultWinsOverTheInMemoryValue)
{
    NBPrefController::setSetting(5, kKey);
    OVUserDefaults::standard().setObject("0", kKey);
    EXPECT_EQ(NBPrefController::integerForKey(kKey), 0) << "a stored 0 still wins";

    OVUserDefaults::standard().removeObject(kKey);
    NBPrefController::setSetting("7", kKey);
    OVUserDefaults::standard().removeObject(kKey);
    EXPECT_EQ(NBPrefController::integerForKey(kKey), 7) << "in-memory value alone";

    NBPrefController::setSetting(QVariant(), kKey);
    EXPECT_FALSE(NBPrefController::settingForKey(kKey).isValid());
    EXPECT_FALSE(OVUserDefaults::standard().hasStoredValue(kKey));
}

TEST_F(PrefTest, RegisteredDefaultWinsOverTheInMemoryValue)
{
    OVUserDefaults::standard().registerDefaults({{"prefTestRegistered", "0"}});
    NBPrefController::setSetting(9, "prefTestRegistered");
    OVUserDefaults::standard().removeObject("prefTestRegistered");
    EXPECT_EQ(NBPrefController::integerForKey("prefTestRegistered"), 0);
    EXPECT_EQ(NBPrefController::settingForKey("prefTestRegistered"), QVariant("0"));
}

TEST_F(PrefTest, ConversionTableOnBothSides)
{
    struct Case
    {
        const char *text;
        bool asBool;
        int64_t asInteger;
        float asFloat;
    };
    const Case cases[] = {
        {"YES", true, 0, 0.0f}, {"NO", false, 0, 0.0f},  {"1", true, 1, 1.0f},
        {"0", false, 0, 0.0f},  {"1.0", true, 1, 1.0f}, {"0.7", true, 0, 0.7f},
    };
    for (const bool stored : {true, false}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.text, stored ? "stored" : "in memory").toStdString());
            NBPrefController::setSetting(QString::fromLatin1(c.text), kKey);
            if (!stored)
                OVUserDefaults::standard().removeObject(kKey);
            EXPECT_EQ(NBPrefController::boolForKey(kKey), c.asBool);
            EXPECT_EQ(NBPrefController::integerForKey(kKey), c.asInteger);
            EXPECT_FLOAT_EQ(NBPrefController::floatForKey(kKey), c.asFloat);
        }
    }
}

TEST_F(PrefTest, InitSettingsDropsStaleStylesFromTheUserDefaults)
{
    OVUserDefaults::standard().setObject("stale", "standardText");
    OVUserDefaults::standard().setObject("stale", "headingColor");
    NBPrefController::initSettings();
    EXPECT_FALSE(OVUserDefaults::standard().hasStoredValue("standardText"));
    EXPECT_EQ(NBPrefController::settingForKey("headingColor").value<QColor>(),
              QColor::fromRgbF(1.0f, 0.8666666666666667f, 0.34509803921568627f));
}

TEST_F(PrefTest, AlignedTextIsACopyOfTheBaseWithAParagraphStyle)
{
    NBPrefController::initSettings();
    const QVariantMap original = NBPrefController::settingForKey("standardText").toMap();

    using Maker = std::optional<QVariantMap> (*)(const QString &);
    const std::pair<Maker, quint64> makers[] = {{&NBPrefController::centerTextForBase, OVParagraphStyle::Center},
                                                {&NBPrefController::leftTextForBase, OVParagraphStyle::Left},
                                                {&NBPrefController::rightTextForBase, OVParagraphStyle::Right}};
    for (const auto &[make, alignment] : makers) {
        SCOPED_TRACE(alignment);
        const std::optional<QVariantMap> attributes = make("standardText");
        ASSERT_TRUE(attributes.has_value());
        const QFont font = attributes->value(OVFontAttributeName).value<QFont>();
        EXPECT_EQ(font.pixelSize(), 11);
        EXPECT_EQ(font.styleHint(), QFont::SansSerif);
        EXPECT_EQ(font.weight(), QFont::Normal);
        EXPECT_EQ(attributes->value(OVForegroundColorAttributeName).value<QColor>(), QColor(Qt::black));
        EXPECT_EQ(attributes->value(OVParagraphStyleAttributeName).value<OVParagraphStyle>(),
                  OVParagraphStyle::truncatingTail(alignment));
        EXPECT_FALSE(make("noSuchStyle").has_value());
    }
    EXPECT_EQ(NBPrefController::settingForKey("standardText").toMap(), original);
    EXPECT_FALSE(original.contains(OVParagraphStyleAttributeName));
}

TEST_F(PrefTest, DemiboldItalicStyleKeepsTheFamily)
{
    NBPrefController::initSettings();
    const QFont regular = NBPrefController::settingForKey("standardTextInv").toMap().value(OVFontAttributeName).value<QFont>();
    const QFont italic =
        NBPrefController::settingForKey("standardBoldItalicTextInv").toMap().value(OVFontAttributeName).value<QFont>();
    EXPECT_EQ(italic.family(), regular.family());
    EXPECT_EQ(italic.weight(), QFont::DemiBold);
    EXPECT_TRUE(italic.italic());
    EXPECT_EQ(NBPrefController::headerGradientImage(), "headerGradient");
}

TEST_F(PrefTest, LocationSettingsNeedAPostalCode)
{
    NBPrefController::setLocationSetting("1", "showGraph", "");
    EXPECT_FALSE(NBPrefController::locationSettingForKey("showGraph", "").isValid());

    NBPrefController::setLocationSetting("1", "showGraph", "80202");
    EXPECT_EQ(NBPrefController::locationSettingForKey("showGraph", "80202"), QVariant("1"));
    EXPECT_FALSE(NBPrefController::locationSettingForKey("showGraph", "95014").isValid());
    NBPrefController::removeSettingsForLocation("80202");
    EXPECT_FALSE(NBPrefController::locationSettingForKey("showGraph", "80202").isValid());
}

TEST_F(PrefTest, StatusMessageOnlyAfterInitSettings)
{
    NBPrefController::setStatusMessage("Loading...");
    EXPECT_TRUE(NBPrefController::statusMessage().isNull());

    NBPrefController::initSettings();
    NBPrefController::setStatusMessage(QString());
    EXPECT_FALSE(NBPrefController::statusMessage().isNull());
    EXPECT_TRUE(NBPrefController::statusMessage().isEmpty());
    NBPrefController::setStatusMessage("Loading...");
    EXPECT_EQ(NBPrefController::statusMessage(), "Loading...");
    EXPECT_FALSE(OVUserDefaults::standard().hasStoredValue("statusMessage"));
}

TEST_F(PrefTest, WorkersReadWhileTheMainThreadWrites)
{
    NBPrefController::setSetting("1", "showCities");
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::thread worker([&] {
        while (!stop.load()) {
            NBPrefController::boolForKey("showCities");
            NBPrefController::integerForKey("graphWidthDays");
            reads.fetch_add(1);
        }
    });
    // Keep writing until the worker has overlapped with a good number of writes.
    for (int i = 0; i < 500 || reads.load() < 200; ++i) {
        NBPrefController::setSetting(QString::number(i % 2), "showCities");
        NBPrefController::setLocationSetting(i, "n", "80202");
    }
    stop.store(true);
    worker.join();
    EXPECT_GE(reads.load(), 200);
}
