// The content of the graph stack's settings popover: a slider for the width of the time window
// in days, a slider for the height of one panel, a check box per graph type, a button that
// brings the window back to the present and a close button. Every change is stored at once and
// applied to the stack it serves.
//
// The width slider runs over positions 1..14 (366 days at the left, one day at the right,
// NBControllerSettings' mapping); the height slider over 80..400 px. The container opens the
// popover with `readSettings` each time. Main thread.
#pragma once

#include "core/NBGraphTypeTable.h"

#include <QPointer>
#include <QWidget>

#include <array>

class NBMultiGraphContainerView;
class QAbstractButton;
class QCheckBox;
class QPushButton;
class QSlider;

class NBGraphViewPrefs : public QWidget
{
    Q_OBJECT

public:
    explicit NBGraphViewPrefs(QWidget *parent = nullptr);
    ~NBGraphViewPrefs() override;

    QSlider *timeSlider() const { return mTimeSlider; }
    QSlider *graphHeightSlider() const { return mGraphHeightSlider; }
    QPushButton *nowButton() const { return mNowButton; }
    QPushButton *closeButton() const { return mCloseButton; }
    /// The check box of a graph type; null outside 0..10.
    QCheckBox *checkBoxForType(int type) const;

    /// The stack the controls act on; not owned (a destroyed stack reads as none).
    NBMultiGraphContainerView *graphContainer() const { return mGraphContainer; }
    void setGraphContainer(NBMultiGraphContainerView *container) { mGraphContainer = container; }

    /// Brings the controls up to date from the settings store, without acting on them.
    void readSettings();

    /// Width slider: stores the position's width in days and widens or narrows the window with
    /// its end kept; a position giving the width already in force does nothing.
    void setGraphDays(int sliderPosition);
    /// Height slider: stores the panel height and restacks; nothing without a stack.
    void setGraphHeight(int height);
    /// A check box: stores its graph's show setting (1 on, 0 off); the stack restacks with the
    /// panels sliding in and out.
    void setGraphEnabled(QAbstractButton *sender);
    /// Back to the present: offset 0, stored at once.
    void scrollToNow();
    /// Closes the popover.
    void closeAction();

private:
    QPointer<NBMultiGraphContainerView> mGraphContainer;
    QSlider *mTimeSlider = nullptr;
    QSlider *mGraphHeightSlider = nullptr;
    QPushButton *mNowButton = nullptr;
    QPushButton *mCloseButton = nullptr;
    std::array<QCheckBox *, NBGraphTypeCount> mCheckBoxes{}; // by graph type
};
