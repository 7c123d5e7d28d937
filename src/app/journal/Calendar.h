// The month calendar control of the weather journal: a fixed 130 x 110 control that shows one
// month (CalendarCell holds its state and drawing), picks a day by click or drag and moves by
// month. Every change of the chosen date emits `action`. Main thread only.
#pragma once

#include "app/journal/CalendarCell.h"

#include <QWidget>

#include <memory>

class Calendar : public QWidget
{
    Q_OBJECT

public:
    explicit Calendar(QWidget *parent = nullptr);
    ~Calendar() override;

    CalendarCell &cell() { return *mCell; }
    const CalendarCell &cell() const { return *mCell; }

    CalendarDate date() const { return mCell->date(); }
    void setDate(const CalendarDate &date) { mCell->setDate(date); }
    int day() const { return mCell->day(); }
    void setDay(int day) { mCell->setDay(day); }
    int month() const { return mCell->month(); }
    void setMonth(int month) { mCell->setMonth(month); }
    int year() const { return mCell->year(); }
    void setYear(int year) { mCell->setYear(year); }
    const QList<CalendarDate> &highlightList() const { return mCell->highlightList(); }
    void setHighlightList(const QList<CalendarDate> &list) { mCell->setHighlightList(list); }
    QColor highlightColor() const { return mCell->highlightColor(); }
    void setHighlightColor(const QColor &color) { mCell->setHighlightColor(color); }

    /// The three month actions.
    void setNextMonth() { mCell->moveByMonths(1); }
    void setPreviousMonth() { mCell->moveByMonths(-1); }
    void setThisMonth() { mCell->setDate(CalendarDate::today()); }

    QSize sizeHint() const override;

signals:
    /// The chosen date changed.
    void action();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    friend class CalendarCell;
    void trackMouse(const QPointF &widgetPoint);

    std::unique_ptr<CalendarCell> mCell;
    bool mTracking = false;
};
