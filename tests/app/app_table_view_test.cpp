// The location list on its own, with a plain list model and no application controller: the
// context menu's requests leave as signals carrying the row, and a row that no longer exists
// is refused with a log line.
#include "app/locations/NBTableView.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QStringListModel>

namespace {

TEST(TableViewAlone, MenuRequestsLeaveAsSignalsWithTheRow)
{
    QStringListModel places({QStringLiteral("Denver"), QStringLiteral("Portland"), QStringLiteral("London")});
    NBTableView table;
    table.resize(200, 400);
    table.setModel(&places);
    QSignalSpy reload(&table, &NBTableView::reloadLocationAtIndex);
    QSignalSpy remove(&table, &NBTableView::removeLocationAtIndex);
    QSignalSpy add(&table, &NBTableView::addLocationRequested);

    const QPoint third = table.visualRect(places.index(2, 0)).center();
    const std::unique_ptr<QMenu> menu = table.menuForEvent(third);
    ASSERT_EQ(menu->actions().size(), 2);
    menu->actions().at(0)->trigger();
    menu->actions().at(1)->trigger();
    ASSERT_EQ(reload.count(), 1);
    EXPECT_EQ(reload.first().first().toInt(), 2);
    ASSERT_EQ(remove.count(), 1);
    EXPECT_EQ(remove.first().first().toInt(), 2);

    const QPoint below(20, table.visualRect(places.index(2, 0)).bottom() + 30);
    table.menuForEvent(below)->actions().at(0)->trigger();
    EXPECT_EQ(add.count(), 1);
    EXPECT_EQ(reload.count(), 1);
}

TEST(TableViewAlone, AReloadOfARowThatIsGoneIsRefused)
{
    QStringListModel places({QStringLiteral("Denver")});
    NBTableView table;
    table.setModel(&places);
    QSignalSpy reload(&table, &NBTableView::reloadLocationAtIndex);
    LogCapture log;
    QAction stale;
    stale.setData(3);
    table.reloadWeather(&stale);
    EXPECT_EQ(reload.count(), 0);
    EXPECT_TRUE(log.contains("No location at row 3 of 1"));
}

} // namespace
