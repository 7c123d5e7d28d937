// The weather journal's window: the month calendar with its month header and buttons, the
// place choice, the day header (high, low, sunrise, sunset, day length), the entry's text view,
// the insert button and the weather icon menu at the top right. It only lays the widgets out
// and reports closing; NBJournalController runs them. Main thread only.
#pragma once

#include <QWidget>

#include <functional>

class Calendar;
class NBJournalConditionsButton;
class NBJournalTextView;
class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

class NBJournalWindow : public QWidget
{
    Q_OBJECT

public:
    explicit NBJournalWindow(QWidget *parent = nullptr);

    /// Called when the user closes the window, before it hides (it is kept); the window stays
    /// open when the handler answers false.
    void setCloseHandler(std::function<bool()> handler) { mCloseHandler = std::move(handler); }

    Calendar *datePicker() const { return mDatePicker; }
    QLabel *monthHeader() const { return mMonthHeader; }
    QToolButton *previousMonthButton() const { return mPreviousMonth; }
    QToolButton *thisMonthButton() const { return mThisMonth; }
    QToolButton *nextMonthButton() const { return mNextMonth; }
    QComboBox *locationSelect() const { return mLocationSelect; }
    QLabel *highTemperatureValue() const { return mHigh; }
    QLabel *lowTemperatureValue() const { return mLow; }
    QLabel *sunriseValue() const { return mSunrise; }
    QLabel *sunsetValue() const { return mSunset; }
    QLabel *dayLengthValue() const { return mDayLength; }
    NBJournalTextView *textView() const { return mTextView; }
    QPushButton *insertCurrentConditionsButton() const { return mInsert; }
    NBJournalConditionsButton *conditionsButton() const { return mConditions; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Calendar *mDatePicker;
    QLabel *mMonthHeader;
    QToolButton *mPreviousMonth;
    QToolButton *mThisMonth;
    QToolButton *mNextMonth;
    QComboBox *mLocationSelect;
    QLabel *mHigh;
    QLabel *mLow;
    QLabel *mSunrise;
    QLabel *mSunset;
    QLabel *mDayLength;
    NBJournalTextView *mTextView;
    QPushButton *mInsert;
    NBJournalConditionsButton *mConditions;
    std::function<bool()> mCloseHandler;
};
