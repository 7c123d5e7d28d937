// NBPrefController is two things.
//
// Its class operations are the process-wide settings store that every subsystem reads: the
// user default (stored or registered) first, the in-memory value second (text attributes,
// colours, status text), plus per-location settings and the application's folder paths. They
// forward to one NBSettingsStore; tests start from a fresh one with resetStore(). Safe on any
// thread.
//
// An instance is the preferences window's controller: it fills the window from the store,
// writes the user's choices back, and when the window closes saves the settings, redraws the
// application and posts "OVNotifyRedisplayEverything". Main thread. The instance side is
// defined in core/views (NBPrefControllerWindow.cpp, library nimbrel_core_views): only code
// that links the drawing kit can make one.
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

class NBPreferencesWindow;
class QComboBox;
class NBSettingsStore;

class NBPrefController : public QObject
{
public:
    // --- Settings store ---------------------------------------------------------------------
    static std::shared_ptr<NBSettingsStore> sharedStore();
    /// Replaces the shared store with a fresh, uninitialised one.
    static void resetStore();

    static void initSettings();
    /// Sets the in-memory value and the user default; a null value removes both.
    static void setSetting(const QVariant &value, const QString &key);
    /// Null before initSettings; the user default when there is one, else the in-memory value.
    static QVariant settingForKey(const QString &key);
    /// 0 before initSettings; a user default wins even when it converts to 0.
    static int64_t integerForKey(const QString &key);
    static float floatForKey(const QString &key);
    static bool boolForKey(const QString &key);

    /// A copy of the named attribute set with a centred, left or right tail-truncating
    /// paragraph style; nothing for a name the store does not hold.
    static std::optional<QVariantMap> centerTextForBase(const QString &baseKey);
    static std::optional<QVariantMap> leftTextForBase(const QString &baseKey);
    static std::optional<QVariantMap> rightTextForBase(const QString &baseKey);
    /// The name of the panel header's gradient image.
    static QString headerGradientImage();

    static void setLocationSetting(const QVariant &value, const QString &key, const QString &zip);
    static QVariant locationSettingForKey(const QString &key, const QString &zip);
    static void removeSettingsForLocation(const QString &zip);

    static void setStatusMessage(const QString &message);
    static QString statusMessage();

    // --- Folders (none is created here; the shell creates them at launch) -------------------
    /// The sandbox (Flatpak) data folder + "Nimbrel Core" when that folder exists, else the
    /// data home + "Nimbrel Core".
    static QString nimbrelCoreSupportPath();
    static QString nimbrelCoreObservationsPath();
    static QString nimbrelCoreJournalPath();
    static QString nimbrelCoreCachePath();
    /// The previous product generation's folder: the data home + "Nimbrel".
    static QString oldNimbrelSupportPath();
    /// The home folder + "Sites".
    static QString localizedUserSitesPath();

    // --- Preferences window -----------------------------------------------------------------
    explicit NBPrefController(QObject *parent = nullptr);
    ~NBPrefController() override;

    void awakeFromNib();
    /// Shows the stored settings in the window's controls.
    void setupPrefs();
    /// The update-frequency pop-up's action: item 0..3 gives 1800, 3600, 10800, 21600 seconds.
    void actionHandler(int updateFrequencyItem);
    NBPreferencesWindow *window() const;
    /// Saves the settings, redraws the main window and journal, posts the redisplay
    /// notification; always lets the window close.
    bool windowShouldClose();

private:
    void connectControls();
    /// A choice applies at once: the main window and journal redraw and everything that shows
    /// a unit or a setting hears "OVNotifyRedisplayEverything".
    void redisplayEverything();
    /// The unit pop-ups and the settings they hold (the item index is the unit code).
    std::array<std::pair<QComboBox *, QLatin1String>, 4> unitPopUps() const;

    std::unique_ptr<NBPreferencesWindow> mWindow;
};
