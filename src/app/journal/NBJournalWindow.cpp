// Layout of the journal window.
#include "app/journal/NBJournalWindow.h"

#include "app/journal/Calendar.h"
#include "app/journal/NBJournalConditionsButton.h"
#include "app/journal/NBJournalTextView.h"
#include "platform/OVLocalize.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *monthButton(const QString &name, const QString &text, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setAutoRaise(true);
    return button;
}

QLabel *valueLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

NBJournalWindow::NBJournalWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , mDatePicker(new Calendar(this))
    , mMonthHeader(new QLabel(this))
    , mPreviousMonth(monthButton(QStringLiteral("previousMonthButton"), QStringLiteral("\u25C0"), this))
    , mThisMonth(monthButton(QStringLiteral("thisMonthButton"), QStringLiteral("\u25CF"), this))
    , mNextMonth(monthButton(QStringLiteral("nextMonthButton"), QStringLiteral("\u25B6"), this))
    , mLocationSelect(new QComboBox(this))
    , mHigh(valueLabel(QStringLiteral("highTemperatureValue"), this))
    , mLow(valueLabel(QStringLiteral("lowTemperatureValue"), this))
    , mSunrise(valueLabel(QStringLiteral("sunriseValue"), this))
    , mSunset(valueLabel(QStringLiteral("sunsetValue"), this))
    , mDayLength(valueLabel(QStringLiteral("dayLengthValue"), this))
    , mTextView(new NBJournalTextView(this))
    , mInsert(new QPushButton(OVLocalizedString("Insert Current Conditions"), this))
    , mConditions(new NBJournalConditionsButton(this))
{
    setObjectName(QStringLiteral("weatherJournalWindow"));
    setWindowTitle(OVLocalizedString("Weather Journal"));
    mDatePicker->setObjectName(QStringLiteral("datePicker"));
    mMonthHeader->setObjectName(QStringLiteral("monthHeader"));
    mMonthHeader->setAlignment(Qt::AlignCenter);
    mLocationSelect->setObjectName(QStringLiteral("locationSelect"));
    mLocationSelect->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    mInsert->setObjectName(QStringLiteral("insertCurrentConditionsButton"));
    mPreviousMonth->setToolTip(OVLocalizedString("Previous Month"));
    mThisMonth->setToolTip(OVLocalizedString("This Month"));
    mNextMonth->setToolTip(OVLocalizedString("Next Month"));

    auto *monthRow = new QHBoxLayout;
    monthRow->addWidget(mPreviousMonth);
    monthRow->addWidget(mMonthHeader, 1);
    monthRow->addWidget(mThisMonth);
    monthRow->addWidget(mNextMonth);
    auto *calendarColumn = new QVBoxLayout;
    calendarColumn->addLayout(monthRow);
    calendarColumn->addWidget(mDatePicker, 0, Qt::AlignHCenter);
    calendarColumn->addStretch(1);

    auto *header = new QFormLayout;
    header->addRow(OVLocalizedString("Location:"), mLocationSelect);
    header->addRow(OVLocalizedString("High:"), mHigh);
    header->addRow(OVLocalizedString("Low:"), mLow);
    header->addRow(OVLocalizedString("Sunrise:"), mSunrise);
    header->addRow(OVLocalizedString("Sunset:"), mSunset);
    header->addRow(OVLocalizedString("Day Length:"), mDayLength);

    auto *top = new QHBoxLayout;
    top->addLayout(calendarColumn);
    top->addLayout(header, 1);
    // Room for the icon menu, which sits over the top right corner.
    top->addSpacing(70);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(mInsert);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(mTextView, 1);
    layout->addLayout(buttons);
    resize(560, 520);
    mConditions->raise();
}

void NBJournalWindow::closeEvent(QCloseEvent *event)
{
    if (mCloseHandler && !mCloseHandler())
        event->ignore();
    else
        event->accept();
}

void NBJournalWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // 10 points from the right edge and 32 from the top, whatever the window's size.
    mConditions->move(width() - 70, 32);
}
