// The unit types: each reads its setting's stored code (and carries a code the preferences never
// write rather than mending it), converts from the stored units, and names itself.
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "weather/OVUnits.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class UnitsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        NBPrefController::resetStore();
        NBPrefController::initSettings();
    }
};

} // namespace

TEST_F(UnitsTest, SettingsReadBackEveryStoredCodeUnchanged)
{
    struct Quantity
    {
        QLatin1String key;
        std::function<int32_t()> read;
    };
    const Quantity quantities[] = {
        {NBSettingKey::temperatureUnits, [] { return OVUnits::code(OVUnits::temperatureSetting()); }},
        {NBSettingKey::windSpeedUnits, [] { return OVUnits::code(OVUnits::windSpeedSetting()); }},
        {NBSettingKey::pressureUnits, [] { return OVUnits::code(OVUnits::pressureSetting()); }},
        {NBSettingKey::distanceUnits, [] { return OVUnits::code(OVUnits::distanceSetting()); }},
        {NBSettingKey::heightUnits, [] { return OVUnits::code(OVUnits::heightSetting()); }},
    };
    for (const Quantity &quantity : quantities) {
        for (int code : {0, 1, 2, 3, 7, -1}) {
            SCOPED_TRACE(QString(quantity.key).toStdString() + " " + std::to_string(code));
            NBPrefController::setSetting(code, QString(quantity.key));
            EXPECT_EQ(quantity.read(), code);
        }
    }

    // The codes the preferences write, as settings files hold them.
    NBPrefController::setSetting(2, QString(NBSettingKey::temperatureUnits));
    EXPECT_EQ(OVUnits::temperatureSetting(), OVTemperatureUnit::Kelvin);
    NBPrefController::setSetting(3, QString(NBSettingKey::windSpeedUnits));
    EXPECT_EQ(OVUnits::windSpeedSetting(), OVWindSpeedUnit::MetersPerSecond);
    NBPrefController::setSetting(2, QString(NBSettingKey::pressureUnits));
    EXPECT_EQ(OVUnits::pressureSetting(), OVPressureUnit::Kilopascals);
    NBPrefController::setSetting(1, QString(NBSettingKey::distanceUnits));
    EXPECT_EQ(OVUnits::distanceSetting(), OVDistanceUnit::Kilometers);
    NBPrefController::setSetting(1, QString(NBSettingKey::heightUnits));
    EXPECT_EQ(OVUnits::heightSetting(), OVHeightUnit::Metric);
    EXPECT_FALSE(OVUnits::isNamed(OVUnits::fromCode<OVHeightUnit>(5)));
    EXPECT_FALSE(OVUnits::isNamed(OVUnits::fromCode<OVWindSpeedUnit>(7)));
}

TEST_F(UnitsTest, HeightUnitsAbsentReadsInchesAndFeet)
{
    NBPrefController::setSetting(QVariant(), QString(NBSettingKey::heightUnits));
    EXPECT_EQ(OVUnits::heightSetting(), OVHeightUnit::InchesAndFeet);
}

TEST(Units, ConversionsGoThroughSinglePrecisionAndLeaveAnUnnamedCodeAlone)
{
    const auto unnamedTemperature = OVUnits::fromCode<OVTemperatureUnit>(7);
    const auto unnamedSpeed = OVUnits::fromCode<OVWindSpeedUnit>(7);
    const auto unnamedPressure = OVUnits::fromCode<OVPressureUnit>(7);
    struct Case
    {
        const char *name;
        double actual;
        double expected;
    };
    const Case cases[] = {
        {"20 C in F", OVUnits::fromCelsius(20.0, OVTemperatureUnit::Fahrenheit), 68.0},
        {"20 C in K", OVUnits::fromCelsius(20.0, OVTemperatureUnit::Kelvin), double(293.15f)},
        {"20.05 C in C", OVUnits::fromCelsius(20.05, OVTemperatureUnit::Celsius), 20.05},
        {"20.05 C unnamed", OVUnits::fromCelsius(20.05, unnamedTemperature), 20.05},
        {"68 F in C", OVUnits::fromFahrenheit(68.0, OVTemperatureUnit::Celsius), 20.0},
        {"32 F in K", OVUnits::fromFahrenheit(32.0, OVTemperatureUnit::Kelvin), double(273.15f)},
        {"68.05 F in F", OVUnits::fromFahrenheit(68.05, OVTemperatureUnit::Fahrenheit), 68.05},
        {"68.05 F unnamed", OVUnits::fromFahrenheit(68.05, unnamedTemperature), 68.05},
        {"10 kt in mph", OVUnits::fromKnots(10.0, OVWindSpeedUnit::MilesPerHour), double(11.5077945f)},
        {"10 kt in km/h", OVUnits::fromKnots(10.0, OVWindSpeedUnit::KilometersPerHour), double(18.52f)},
        {"10 kt in m/s", OVUnits::fromKnots(10.0, OVWindSpeedUnit::MetersPerSecond), double(5.1444445f)},
        {"10.1 kt in knots", OVUnits::fromKnots(10.1, OVWindSpeedUnit::Knots), 10.1},
        {"10.1 kt unnamed", OVUnits::fromKnots(10.1, unnamedSpeed), 10.1},
        {"1013.3 mb in hPa", OVUnits::fromMillibars(1013.3, OVPressureUnit::Hectopascals), double(1013.3f)},
        {"1013.3 mb in mb", OVUnits::fromMillibars(1013.3, OVPressureUnit::Millibars), 1013.3},
        {"1013.3 mb unnamed", OVUnits::fromMillibars(1013.3, unnamedPressure), 1013.3},
        {"1000 mb in kPa", OVUnits::fromMillibars(1000.0, OVPressureUnit::Kilopascals), 100.0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
    EXPECT_NEAR(OVUnits::fromMillibars(1013.25, OVPressureUnit::InchesOfMercury), 29.92, 0.005);
}

TEST(Units, SymbolsAndWords)
{
    EXPECT_EQ(OVUnits::temperatureSymbol(OVTemperatureUnit::Kelvin), QStringLiteral("K"));
    for (OVTemperatureUnit unit :
         {OVTemperatureUnit::Fahrenheit, OVTemperatureUnit::Celsius, OVUnits::fromCode<OVTemperatureUnit>(7)})
        EXPECT_EQ(OVUnits::temperatureSymbol(unit), QStringLiteral("\u00B0"));

    struct Case
    {
        int code;
        const char *word;
        const char *abbreviation;
    };
    for (const Case &c : {Case{0, "mph", "mph"}, Case{1, "km/h", "km/h"}, Case{2, "knots", "kts"},
                          Case{3, "m/s", "m/s"}, Case{7, "m/s", "m/s"}}) {
        const auto unit = OVUnits::fromCode<OVWindSpeedUnit>(c.code);
        EXPECT_STREQ(OVUnits::windSpeedWord(unit), c.word) << c.code;
        EXPECT_STREQ(OVUnits::windSpeedAbbreviation(unit), c.abbreviation) << c.code;
    }
}
