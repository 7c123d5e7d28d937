// The journal's behaviour: which entry is shown, when it is stored, and the header.
#include "app/journal/NBJournalController.h"

#include "app/journal/Calendar.h"
#include "app/NBAlertService.h"
#include "app/journal/NBJournalConditionsButton.h"
#include "app/journal/NBJournalConditionsTable.h"
#include "app/journal/NBJournalDateText.h"
#include "app/journal/NBJournalLocationArrayController.h"
#include "app/journal/NBJournalTextView.h"
#include "app/journal/NBJournalWindow.h"
#include "app/NBNotifications.h"
#include "core/NBPrefController.h"
#include "platform/OVClock.h"
#include "platform/OVLocalize.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextDocument>
#include <QToolButton>

namespace {

// The entry's text size; sizes are stored in pixels.
constexpr int kEntryPixelSize = 13;

CalendarDate calendarDate(const QDate &date)
{
    return CalendarDate{date.year(), date.month(), date.day()};
}

} // namespace

NBJournalController::NBJournalController(Environment environment, QObject *parent)
    : QObject(parent)
    , mEnvironment(std::move(environment))
    , mStore(mEnvironment.journalDirectory)
    , mWindow(std::make_unique<NBJournalWindow>())
{
    if (!mEnvironment.clock)
        mEnvironment.clock = &OVClock::system();
    if (!mEnvironment.alerts)
        mEnvironment.alerts = NBAlertService::messageBoxes();

    NBJournalWindow &window = *mWindow;
    window.setCloseHandler([this] { return windowShouldClose(); });
    const CalendarDate today = calendarDate(mEnvironment.clock->now().toLocalTime().date());
    Calendar *calendar = window.datePicker();
    calendar->setDate(today);
    calendar->setHighlightColor(QColor::fromRgbF(1.0f, 1.0f, 0.5f));
    connect(calendar, &Calendar::action, this, &NBJournalController::calendarAction);
    connect(window.previousMonthButton(), &QToolButton::clicked, calendar, &Calendar::setPreviousMonth);
    connect(window.thisMonthButton(), &QToolButton::clicked, calendar, &Calendar::setThisMonth);
    connect(window.nextMonthButton(), &QToolButton::clicked, calendar, &Calendar::setNextMonth);
    connect(window.insertCurrentConditionsButton(), &QPushButton::clicked, this,
            &NBJournalController::insertCurrentConditions);
    connect(window.locationSelect(), &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < mOfferedLocations.size())
            setSelectedLocation(mOfferedLocations.at(index));
    });
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installEventFilter(this);
    OVNotificationCenter::defaultCenter().addObserver(this, OVNotifyMapGeneratorNeedsDisplay,
                                                      [this](const OVNotification &) { reloadLocations(); });

    loadEntryList();
    const OVWeatherLocationList monitored =
        mEnvironment.monitoredLocations ? mEnvironment.monitoredLocations() : OVWeatherLocationList();
    if (!monitored.isEmpty() && monitored.constFirst() && int32_t(monitored.constFirst()->locationID()) != 0)
        mSelectedLocation = monitored.constFirst();
    reloadLocations();
    setCurrentDate(today);
}

NBJournalController::~NBJournalController()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

void NBJournalController::showWindow()
{
    mWindow->show();
    mWindow->raise();
    mWindow->activateWindow();
    NBPrefController::setSetting(QStringLiteral("1"), QStringLiteral("showJournalWindow"));
}

bool NBJournalController::windowShouldClose()
{
    if (mDiscardAtQuit)
        return true;
    // A failed save has been reported; the window stays open with the text, and the quit will
    // try again.
    if (!saveEntry())
        return false;
    if (!mQuitting)
        NBPrefController::setSetting(QStringLiteral("0"), QStringLiteral("showJournalWindow"));
    return true;
}

bool NBJournalController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
        if (!saveBeforeQuit())
            return true;
        mQuitting = true;
    }
    return QObject::eventFilter(watched, event);
}

bool NBJournalController::hasEntryToSaveAtQuit() const
{
    const QTextDocument *document = mWindow->textView()->document();
    return mWindow->isVisible() || mWindow->isMinimized() || (document && document->isModified());
}

bool NBJournalController::saveBeforeQuit()
{
    if (mDiscardAtQuit || !hasEntryToSaveAtQuit())
        return true;
    const NBJournalSaveResult result = storeEntry();
    if (result.error.isEmpty())
        return true;
    // The text is still in the window: show it, and let the user decide.
    showWindow();
    const QPointer<NBJournalController> guard(this);
    mEnvironment.alerts->ask(
        mWindow.get(), OVLocalizedString("The journal entry could not be saved."),
        OVLocalizedString("%1\n\nIf you quit now, the changes to this entry are lost.").arg(result.error),
        {OVLocalizedString("Don't Quit"), OVLocalizedString("Quit Anyway")}, [guard](int chosen) {
            if (!guard || chosen != 1)
                return;
            guard->mDiscardAtQuit = true;
            // Posted rather than quit(): the quit starts over from the event loop, as the first did.
            QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
        });
    return false;
}

void NBJournalController::applicationWillTerminate()
{
    if (!mDiscardAtQuit && hasEntryToSaveAtQuit())
        saveEntry();
}

void NBJournalController::updateJournalValues()
{
    // Reloading first would drop what was typed since the last save.
    if (saveEntry())
        updateValues();
}

void NBJournalController::setCurrentDate(const CalendarDate &date)
{
    if (!saveEntry()) {
        returnToShownEntry();
        return;
    }
    mCurrentDate = date;
    updateValues();
}

void NBJournalController::setSelectedLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    if (location == mSelectedLocation)
        return;
    if (!saveEntry()) {
        returnToShownEntry();
        return;
    }
    mSelectedLocation = location;
    showSelectionInChoice();
    updateValues();
}

void NBJournalController::setEntryList(const QList<CalendarDate> &list)
{
    mEntryList = list;
    mWindow->datePicker()->setHighlightList(list);
    mWindow->datePicker()->update();
}

void NBJournalController::calendarAction()
{
    if (mReturning)
        return;
    setCurrentDate(mWindow->datePicker()->date());
}

void NBJournalController::updateValues()
{
    if (!mCurrentDate)
        return;
    mSummary = NBJournalDaySummary::forDay(mSelectedLocation.get(), *mCurrentDate);
    NBJournalWindow &window = *mWindow;
    window.highTemperatureValue()->setText(mSummary.highTemperature);
    window.lowTemperatureValue()->setText(mSummary.lowTemperature);
    window.sunriseValue()->setText(mSummary.sunrise);
    window.sunsetValue()->setText(mSummary.sunset);
    window.dayLengthValue()->setText(mSummary.dayLength);
    const Calendar *calendar = window.datePicker();
    window.monthHeader()->setText(NBJournalDateText::monthHeader(calendar->year(), calendar->month()));
    loadEntry();
}

void NBJournalController::loadEntry()
{
    if (!mCurrentDate)
        return;
    NBJournalEntry entry = mStore.load(*mCurrentDate, locationIDForFiles());
    NBJournalTextView *textView = mWindow->textView();
    QFont font = textView->font();
    font.setPixelSize(kEntryPixelSize);
    entry.document->setDefaultFont(font);
    entry.document->setParent(textView);
    // The view deletes its own first document itself; the ones given here are ours to delete.
    const QPointer<QTextDocument> previous = textView->document();
    textView->setDocument(entry.document.release());
    if (previous && previous->parent() == textView)
        delete previous.data();

    // What is on screen now is what is stored; typing marks it changed again.
    textView->document()->setModified(false);
    mReadOnly = entry.readOnly();
    const bool canHold = NBJournalStore::canHoldEntries(*mCurrentDate);
    textView->setReadOnly(mReadOnly);
    textView->setPlaceholderText(
        canHold ? QString() : OVLocalizedString("Journal entries can be kept for the years 2000 to 2099 only."));
    NBJournalConditionsButton *conditions = mWindow->conditionsButton();
    conditions->readSettingsString(entry.settings);
    conditions->setVisible(canHold);
    conditions->setEnabled(!mReadOnly);
    mWindow->insertCurrentConditionsButton()->setEnabled(!mReadOnly);
}

NBJournalSaveResult NBJournalController::storeEntry()
{
    if (!mCurrentDate || mReadOnly)
        return {};
    const QString settings = mWindow->conditionsButton()->settingsString();
    QTextDocument *document = mWindow->textView()->document();
    const NBJournalSaveResult result = mStore.save(*mCurrentDate, locationIDForFiles(), *document, settings);
    if (!result.error.isEmpty())
        return result;
    document->setModified(false);
    if (result.written && !mEntryList.contains(*mCurrentDate)) {
        QList<CalendarDate> list = mEntryList;
        list.append(*mCurrentDate);
        setEntryList(list);
    }
    return result;
}

bool NBJournalController::saveEntry()
{
    const NBJournalSaveResult result = storeEntry();
    if (!result.error.isEmpty()) {
        mEnvironment.alerts->showAlert(OVLocalizedString("The journal entry could not be saved."), result.error,
                                       OVLocalizedString("OK"));
        return false;
    }
    return true;
}

void NBJournalController::loadEntryList()
{
    setEntryList(mStore.loadEntryList());
}

void NBJournalController::reloadLocations()
{
    const OVWeatherLocationList monitored =
        mEnvironment.monitoredLocations ? mEnvironment.monitoredLocations() : OVWeatherLocationList();
    mOfferedLocations = NBJournalLocationArrayController::arrangeObjects(monitored);
    QComboBox *choice = mWindow->locationSelect();
    const QSignalBlocker blocker(choice);
    choice->clear();
    for (const std::shared_ptr<OVWeatherLocation> &location : std::as_const(mOfferedLocations))
        choice->addItem(location->locationString());
    showSelectionInChoice();
}

void NBJournalController::insertCurrentConditions()
{
    NBJournalTextView *textView = mWindow->textView();
    if (!mSelectedLocation || mReadOnly || textView->isReadOnly())
        return;
    const std::optional<OVWeatherConditions> conditions = mSelectedLocation->getCurrentData();
    if (!conditions)
        return;
    QTextCursor cursor = textView->textCursor();
    NBJournalConditionsTable::insert(
        cursor, NBJournalConditionsTable::rows(*conditions, mSelectedLocation->locationTimeZone()));
    textView->setTextCursor(cursor);
}

qint64 NBJournalController::locationIDForFiles() const
{
    return mSelectedLocation ? mSelectedLocation->locationID() : 0;
}

void NBJournalController::showSelectionInChoice()
{
    QComboBox *choice = mWindow->locationSelect();
    const QSignalBlocker blocker(choice);
    choice->setCurrentIndex(int(mOfferedLocations.indexOf(mSelectedLocation)));
}

void NBJournalController::returnToShownEntry()
{
    mReturning = true;
    if (mCurrentDate)
        mWindow->datePicker()->setDate(*mCurrentDate);
    mWindow->datePicker()->update();
    showSelectionInChoice();
    mReturning = false;
}
