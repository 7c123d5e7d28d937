// Shared set-up of the settings tests: a fresh settings file and store per test, no shell hooks
// unless a test installs the fake, the debug flag off. The fake hooks record every call.
#pragma once

#include "core/NBPrefController.h"
#include "core/OVApplicationHooks.h"
#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

class FakeApplicationHooks : public OVApplicationHooks
{
public:
    QVariantList locations;
    std::optional<double> splitWidth;
    mutable QStringList calls;

    QVariantList monitoredLocationDictionaries() const override
    {
        calls << QStringLiteral("locations");
        return locations;
    }
    std::optional<double> splitViewFirstPaneWidth() const override
    {
        calls << QStringLiteral("splitView");
        return splitWidth;
    }
    void redisplayMainWindow() override { calls << QStringLiteral("redisplay"); }
    void updateJournalValues() override { calls << QStringLiteral("journal"); }
    void openActivityPanel() override { calls << QStringLiteral("activityPanel"); }
};

class PrefTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mDir.isValid());
        useSettingsFile(path(QStringLiteral("settings.conf")));
        OVApplicationHooks::install(nullptr);
        OVSetDebugLoggingEnabled(0);
    }

    void TearDown() override
    {
        OVApplicationHooks::install(nullptr);
        OVSetDebugLoggingEnabled(0);
        OVUserDefaults::resetStandard();
        NBPrefController::resetStore();
    }

    /// As at a new launch: the standard defaults read `file`, and the store starts empty.
    static void useSettingsFile(const QString &file)
    {
        OVUserDefaults::resetStandard(file);
        NBPrefController::resetStore();
    }

    QString path(const QString &name) const { return mDir.filePath(name); }

    QTemporaryDir mDir;
};
