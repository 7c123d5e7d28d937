// The location list at the left of the main window: one row per monitored location, drawn by
// an NBLocationCell on the dark list ground. A click or the arrow keys make a row current
// (through the action the application controller sets); a right-click offers reloading or
// removing that row's location, or adding one below the rows. The menu's requests leave as
// signals; the view knows no controller or data client.
//
// Single selection, empty allowed. The view paints the ground and the selection itself, so the
// platform style never shows through. Programmatic selection does not send the action.
// Main thread only.
#pragma once

#include <QListView>
#include <QSizeF>

#include <functional>
#include <memory>
#include <vector>

class NBLocationCell;
class QMenu;

class NBTableView : public QListView
{
    Q_OBJECT

public:
    static constexpr double kMinimumRowHeight = 48.0;
    /// Rows of the height table added at a time.
    static constexpr quint32 kRowHeightChunk = 10;
    /// The selection's fill, (100, 105, 107).
    static QColor selectionColor();

    using Action = std::function<void(NBTableView *table)>;

    explicit NBTableView(QWidget *parent = nullptr);
    ~NBTableView() override;

    /// What a click on a row or a key step sends; none by default.
    void setAction(Action action) { mAction = std::move(action); }

    int numberOfRows() const;
    /// -1 when nothing is selected.
    int selectedRow() const;
    /// The row under the click being handled; -1 outside a click or below the rows.
    int clickedRow() const { return mClickedRow; }
    /// The row at a viewport position; -1 for none.
    int rowAtPoint(const QPoint &viewportPoint) const;

    void scrollLineUp();
    void scrollLineDown();
    /// Selects exactly `row` when asked, scrolls it into view, then sends the action.
    void scrollToRow(qint64 row, bool select);

    double rowHeight() const { return mRowHeight; }
    void setRowHeight(double height);
    QSizeF intercellSpacing() const { return mSpacing; }
    void setIntercellSpacing(const QSizeF &spacing);

    /// Records a row's height; with `checkAll` the table's row height becomes the largest
    /// recorded height, at least 48.
    void setHeight(float height, quint32 row, bool checkAll);
    /// The recorded height of a row; 0 beyond the height table.
    float heightForRow(quint32 row) const;
    quint32 numRowHeights() const { return quint32(mRowHeights.size()); }
    bool changedRowHeight() const { return mChangedRowHeight; }
    float lastWidth() const { return mLastWidth; }

    /// The context menu for a viewport position: "Reload Weather Data" and "Remove Location"
    /// for a row (the row in each item's data), else "Add Location..." (data -1).
    std::unique_ptr<QMenu> menuForEvent(const QPoint &viewportPoint);
    /// Asks for the add panel.
    void addLocation();
    /// Asks for the location at the menu item's row to be reloaded from every data client.
    void reloadWeather(QObject *sender);
    /// Asks for the location at the menu item's row to be removed.
    void removeLocation(QObject *sender);

    NBLocationCell *locationCell() const { return mCell; }

    /// Reloading the rows keeps the selected row while it still exists (without sending the
    /// action).
    void setModel(QAbstractItemModel *model) override;

signals:
    /// The removal request of the context menu, with the row.
    void removeLocationAtIndex(int row);
    /// The reload request of the context menu, with a row of the model.
    void reloadLocationAtIndex(int row);
    /// The add request of the context menu.
    void addLocationRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void sendAction();
    /// The menu item's row when it names a monitored location; -1 otherwise (logged).
    int locationRowOfItem(const QAction *item, const char *operation) const;

    NBLocationCell *mCell = nullptr;
    Action mAction;
    int mClickedRow = -1;
    int mRowBeforeReload = -1;
    double mRowHeight = kMinimumRowHeight;
    QSizeF mSpacing{7.0, 2.0};
    std::vector<float> mRowHeights;
    float mLastWidth = 0.0f;
    bool mChangedRowHeight = false;
};
