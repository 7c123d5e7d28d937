// The graph settings popover's controls and what each one stores.
#include "graphs/NBGraphViewPrefs.h"

#include "core/NBControllerSettings.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "graphs/NBMultiGraphContainerView.h"
#include "platform/OVLocalize.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumGraphHeight = 80;
constexpr int kMaximumGraphHeight = 400;

QSlider *makeSlider(int minimum, int maximum, QWidget *parent)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    slider->setPageStep(1);
    slider->setMinimumWidth(160);
    return slider;
}

} // namespace

NBGraphViewPrefs::NBGraphViewPrefs(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("graphViewPrefs"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);

    auto *sliders = new QGridLayout;
    mTimeSlider = makeSlider(1, 14, this);
    mTimeSlider->setTickPosition(QSlider::TicksBelow);
    mTimeSlider->setAccessibleName(OVLocalizedString("Time Span"));
    mGraphHeightSlider = makeSlider(kMinimumGraphHeight, kMaximumGraphHeight, this);
    mGraphHeightSlider->setAccessibleName(OVLocalizedString("Graph Height"));
    sliders->addWidget(new QLabel(OVLocalizedString("Time Span"), this), 0, 0);
    sliders->addWidget(mTimeSlider, 0, 1);
    sliders->addWidget(new QLabel(OVLocalizedString("Graph Height"), this), 1, 0);
    sliders->addWidget(mGraphHeightSlider, 1, 1);
    layout->addLayout(sliders);

    // Check boxes in the order of the stack.
    auto *boxes = new QGridLayout;
    int row = 0;
    for (const NBGraphTypeRow &graphType : NBGraphTypeTable) {
        auto *box = new QCheckBox(OVLocalizedString(graphType.panelTitle), this);
        box->setObjectName(QLatin1String(graphType.visibilityKey));
        mCheckBoxes[size_t(graphType.type)] = box;
        boxes->addWidget(box, row / 2, row % 2);
        ++row;
        connect(box, &QCheckBox::clicked, this, [this, box] { setGraphEnabled(box); });
    }
    layout->addLayout(boxes);

    auto *buttons = new QHBoxLayout;
    mNowButton = new QPushButton(OVLocalizedString("Now"), this);
    mCloseButton = new QPushButton(OVLocalizedString("Close"), this);
    buttons->addWidget(mNowButton);
    buttons->addStretch(1);
    buttons->addWidget(mCloseButton);
    layout->addLayout(buttons);

    connect(mTimeSlider, &QSlider::valueChanged, this, &NBGraphViewPrefs::setGraphDays);
    connect(mGraphHeightSlider, &QSlider::valueChanged, this, &NBGraphViewPrefs::setGraphHeight);
    connect(mNowButton, &QPushButton::clicked, this, &NBGraphViewPrefs::scrollToNow);
    connect(mCloseButton, &QPushButton::clicked, this, &NBGraphViewPrefs::closeAction);
    adjustSize();
}

NBGraphViewPrefs::~NBGraphViewPrefs() = default;

QCheckBox *NBGraphViewPrefs::checkBoxForType(int type) const
{
    if (type < 0 || type >= int(mCheckBoxes.size()))
        return nullptr;
    return mCheckBoxes[size_t(type)];
}

void NBGraphViewPrefs::readSettings()
{
    // Setting the controls is not a user's change: nothing is stored or applied.
    const QSignalBlocker timeBlocker(mTimeSlider);
    const QSignalBlocker heightBlocker(mGraphHeightSlider);
    mTimeSlider->setValue(NBControllerSettings::sliderValueForDays(
        int(NBPrefController::integerForKey(NBSettingKey::graphWidthDays))));
    mGraphHeightSlider->setValue(int(NBPrefController::integerForKey(QStringLiteral("graphHeight"))));
    for (size_t type = 0; type < mCheckBoxes.size(); ++type) {
        const QString key = NBMultiGraphContainerView::visibilityKey(int(type));
        mCheckBoxes[type]->setChecked(NBPrefController::integerForKey(key) != 0);
    }
}

void NBGraphViewPrefs::setGraphDays(int sliderPosition)
{
    const int days = NBControllerSettings::daysForSliderValue(sliderPosition);
    if (days == int(NBPrefController::integerForKey(NBSettingKey::graphWidthDays)))
        return;
    NBPrefController::setSetting(days, NBSettingKey::graphWidthDays);
    if (!mGraphContainer)
        return;
    mGraphContainer->updateGraphIntervalWhileHoldingRightSide(double(days) * 86400.0);
    mGraphContainer->refreshDisplay();
}

void NBGraphViewPrefs::setGraphHeight(int height)
{
    if (!mGraphContainer)
        return;
    NBPrefController::setSetting(height, QStringLiteral("graphHeight"));
    mGraphContainer->setGraphHeight(height);
    mGraphContainer->relayoutGraphs(this, false);
}

void NBGraphViewPrefs::setGraphEnabled(QAbstractButton *sender)
{
    for (size_t type = 0; type < mCheckBoxes.size(); ++type) {
        if (sender != mCheckBoxes[type])
            continue;
        NBPrefController::setSetting(sender->isChecked() ? 1 : 0, NBMultiGraphContainerView::visibilityKey(int(type)));
        break;
    }
    if (mGraphContainer)
        mGraphContainer->relayoutGraphs(this, true);
}

void NBGraphViewPrefs::scrollToNow()
{
    if (mGraphContainer)
        mGraphContainer->setCenterTimeOffset(0.0);
    NBPrefController::setSetting(0.0f, QStringLiteral("graphOffset"));
    if (mGraphContainer)
        mGraphContainer->checkIfNeedLoadDataAndRedisplay();
}

void NBGraphViewPrefs::closeAction()
{
    if (mGraphContainer)
        mGraphContainer->showPrefs();
}
