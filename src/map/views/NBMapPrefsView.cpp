#include "map/views/NBMapPrefsView.h"

#include "map/views/NBMapViewController.h"
#include "map/OVMapController.h"
#include "map/OVMapSettings.h"
#include "platform/OVLocalize.h"
#include "platform/OVUserDefaults.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace {

/// The stored value of a map setting, else the engine's, else the default.
QVariant shownValue(const OVMapController *engine, QLatin1String key)
{
    const QVariant stored = OVUserDefaults::standard().objectForKey(QString(key));
    if (stored.isValid())
        return stored;
    const QVariantMap settings = engine ? engine->settings() : OVMapSettings::defaults();
    return settings.value(QString(key));
}

void store(const QVariant &value, QLatin1String key)
{
    OVUserDefaults::standard().setObject(value, QString(key));
}

QSlider *makeSlider(const QString &name, int minimum, int maximum, int value)
{
    auto *slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(minimum, maximum);
    slider->setValue(std::clamp(value, minimum, maximum));
    slider->setMinimumWidth(140);
    return slider;
}

/// A switch showing the setting `key`; a toggle stores it, then calls `action` on `target`.
QCheckBox *makeSwitch(QLatin1String key, const QString &title, const OVMapController *engine, QObject *context,
                      NBMapViewController *target, void (NBMapViewController::*action)(bool))
{
    auto *box = new QCheckBox(title);
    box->setObjectName(QString(key));
    box->setChecked(OVUserDefaults::variantToBool(shownValue(engine, key)));
    QObject::connect(box, &QCheckBox::toggled, context, [target, key, action](bool on) {
        store(on, key);
        (target->*action)(on);
    });
    return box;
}

} // namespace

NBMapPrefsView::NBMapPrefsView(NBMapViewController &controller, const OVMapController *engine, QWidget *parent)
    : QWidget(parent)
{
    using namespace OVMapSettingKey;
    setObjectName(QStringLiteral("mapPrefsView"));
    auto *form = new QFormLayout(this);
    form->setContentsMargins(10, 8, 10, 8);
    NBMapViewController *target = &controller;

    // Step length: two exclusive buttons, index 0 and 1.
    auto *steps = new QWidget;
    auto *stepRow = new QHBoxLayout(steps);
    stepRow->setContentsMargins(0, 0, 0, 0);
    auto *stepGroup = new QButtonGroup(steps);
    stepGroup->setObjectName(QStringLiteral("timeInterval"));
    const qint64 interval = OVUserDefaults::variantToInteger(shownValue(engine, timeInterval));
    const QString stepTitles[] = {OVLocalizedString("12 minutes"), OVLocalizedString("3 hours")};
    for (int index = 0; index < 2; ++index) {
        auto *button = new QRadioButton(stepTitles[index]);
        button->setObjectName(QStringLiteral("timeInterval%1").arg(index));
        button->setChecked((interval != 0) == (index == 1));
        stepGroup->addButton(button, index);
        stepRow->addWidget(button);
    }
    connect(stepGroup, &QButtonGroup::idClicked, this, [target](int index) {
        store(index, timeInterval);
        target->setTimeInterval(index);
    });
    form->addRow(OVLocalizedString("Step:"), steps);

    // Speed: seconds per step, faster to the right.
    const double seconds = OVUserDefaults::variantToDouble(shownValue(engine, animationSpeed));
    auto *speed = makeSlider(QString(animationSpeed), 1, kSpeedPositions, int(std::lround(seconds / kSpeedStep)));
    speed->setInvertedAppearance(true);
    connect(speed, &QSlider::valueChanged, this, [target](int position) {
        const double value = position * kSpeedStep;
        store(value, animationSpeed);
        target->setAnimationSpeed(value);
    });
    form->addRow(OVLocalizedString("Speed:"), speed);

    // Opacities, in hundredths.
    const struct
    {
        QLatin1String key;
        const char *title;
    } opacities[] = {{radarOpacity, "Radar:"}, {satelliteOpacity, "Satellite:"}};
    for (const auto &opacity : opacities) {
        const double alpha = OVUserDefaults::variantToDouble(shownValue(engine, opacity.key));
        auto *slider = makeSlider(QString(opacity.key), 0, 100, int(std::lround(alpha * 100.0)));
        const QLatin1String key = opacity.key;
        connect(slider, &QSlider::valueChanged, this, [target, key](int value) {
            store(value / 100.0, key);
            target->opacityUpdated();
        });
        form->addRow(OVLocalizedString(opacity.title), slider);
    }

    form->addRow(QString(), makeSwitch(showSurfaceAnalysis, OVLocalizedString("Surface analysis"), engine, this,
                                       target, &NBMapViewController::setShowSurfaceAnalysis));
    form->addRow(QString(), makeSwitch(showParticleMode, OVLocalizedString("Wind particles"), engine, this, target,
                                       &NBMapViewController::setShowParticleMode));

    // Density: the stored index, else the index of the engine's column count.
    auto *density = new QComboBox;
    density->setObjectName(QString(particleDensity));
    for (const char *title : {"Low", "Medium", "High", "Highest"})
        density->addItem(OVLocalizedString(title));
    qint64 index = 1;
    if (const QVariant stored = OVUserDefaults::standard().objectForKey(QString(particleDensity)); stored.isValid()) {
        index = OVUserDefaults::variantToInteger(stored);
    } else if (engine) {
        const qint64 columns = OVMapSettings::integerValue(engine->settings(), particleDensity);
        for (qint64 candidate = 0; candidate <= 3; ++candidate)
            if (OVMapSettings::particleColumnsForDensityIndex(candidate) == columns)
                index = candidate;
    }
    density->setCurrentIndex(int(std::clamp<qint64>(index, 0, 3)));
    connect(density, &QComboBox::currentIndexChanged, this, [target](int value) {
        store(value, particleDensity);
        target->setParticleDensity();
    });
    form->addRow(OVLocalizedString("Density:"), density);

    form->addRow(QString(), makeSwitch(pauseParticleModeInBackground, OVLocalizedString("Pause particles in background"),
                                       engine, this, target, &NBMapViewController::setParticleModeRunsInBackground));
}
