// Location list behaviour: painting of ground and selection, key stepping, clicks, row heights
// and the context menu with its actions.
#include "app/locations/NBTableView.h"

#include "app/locations/NBLocationCell.h"
#include "core/NBPrefController.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"

#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include <algorithm>
#include <cmath>

QColor NBTableView::selectionColor()
{
    return QColor::fromRgbF(0.3921568627f, 0.4117647059f, 0.4196078431f, 1.0f);
}

NBTableView::NBTableView(QWidget *parent)
    : QListView(parent)
    , mCell(new NBLocationCell(this))
{
    setItemDelegate(mCell);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(false);
    mLastWidth = float(width());
    mChangedRowHeight = false;
}

NBTableView::~NBTableView() = default;

// --- Rows and selection -------------------------------------------------------------------------

int NBTableView::numberOfRows() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int NBTableView::selectedRow() const
{
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int NBTableView::rowAtPoint(const QPoint &viewportPoint) const
{
    const QModelIndex index = indexAt(viewportPoint);
    return index.isValid() ? index.row() : -1;
}

void NBTableView::setModel(QAbstractItemModel *newModel)
{
    if (model())
        disconnect(model(), nullptr, this, nullptr);
    QListView::setModel(newModel);
    if (!newModel)
        return;
    connect(newModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] { mRowBeforeReload = selectedRow(); });
    connect(newModel, &QAbstractItemModel::modelReset, this, [this] {
        if (mRowBeforeReload >= 0 && mRowBeforeReload < numberOfRows())
            selectionModel()->select(model()->index(mRowBeforeReload, 0, rootIndex()), QItemSelectionModel::ClearAndSelect);
        mRowBeforeReload = -1;
    });
}

void NBTableView::sendAction()
{
    if (mAction)
        mAction(this);
}

void NBTableView::scrollLineUp()
{
    const int selected = selectedRow();
    const int row = selected < 0 ? numberOfRows() : selected;
    if (row > 0)
        scrollToRow(row - 1, true);
}

void NBTableView::scrollLineDown()
{
    const int row = selectedRow();
    if (row + 1 < numberOfRows())
        scrollToRow(row + 1, true);
}

void NBTableView::scrollToRow(qint64 row, bool select)
{
    if (!model())
        return;
    const QModelIndex index = model()->index(int(row), 0, rootIndex());
    if (select && selectionModel())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (index.isValid())
        scrollTo(index);
    sendAction();
}

// --- Row heights --------------------------------------------------------------------------------

void NBTableView::setRowHeight(double height)
{
    mRowHeight = height;
    mCell->setRowHeight(height);
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void NBTableView::setIntercellSpacing(const QSizeF &spacing)
{
    mSpacing = spacing;
    mCell->setIntercellSpacing(spacing);
    viewport()->update();
}

void NBTableView::setHeight(float height, quint32 row, bool checkAll)
{
    if (mRowHeights.empty())
        mRowHeights.assign(kRowHeightChunk, 0.0f);
    while (row >= mRowHeights.size())
        mRowHeights.resize(mRowHeights.size() + kRowHeightChunk, 0.0f);
    if (mRowHeights[row] == height)
        return;
    mRowHeights[row] = height;
    mChangedRowHeight = true;
    if (!checkAll)
        return;
    const double tallest = std::max<double>(*std::max_element(mRowHeights.begin(), mRowHeights.end()), kMinimumRowHeight);
    if (std::trunc(tallest) != std::trunc(mRowHeight))
        setRowHeight(tallest);
    mChangedRowHeight = false;
}

float NBTableView::heightForRow(quint32 row) const
{
    return row < mRowHeights.size() ? mRowHeights[row] : 0.0f;
}

// --- Painting -----------------------------------------------------------------------------------

void NBTableView::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(viewport());
        painter.fillRect(event->rect(), NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>());
        const int row = selectedRow();
        if (row >= 0)
            painter.fillRect(visualRect(model()->index(row, 0, rootIndex())), selectionColor());
    }
    QListView::paintEvent(event);
}

// --- Keys and clicks ----------------------------------------------------------------------------

void NBTableView::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Down) {
            scrollLineDown();
            return;
        }
        if (event->key() == Qt::Key_Up) {
            scrollLineUp();
            return;
        }
    }
    QListView::keyPressEvent(event);
}

void NBTableView::mousePressEvent(QMouseEvent *event)
{
    // Only the left button selects; the right one opens the context menu without changing
    // the selection.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    mClickedRow = rowAtPoint(event->position().toPoint());
    if (mClickedRow < 0) {
        // Below the rows: nothing stays selected.
        if (selectionModel())
            selectionModel()->clear();
        event->accept();
    } else {
        QListView::mousePressEvent(event);
    }
    sendAction();
    mClickedRow = -1;
}

// --- Context menu -------------------------------------------------------------------------------

std::unique_ptr<QMenu> NBTableView::menuForEvent(const QPoint &viewportPoint)
{
    const int row = rowAtPoint(viewportPoint);
    auto menu = std::make_unique<QMenu>(OVLocalizedString("Location Table Element"));
    if (row < 0) {
        QAction *add = menu->addAction(OVLocalizedString("Add Location..."));
        add->setData(-1);
        connect(add, &QAction::triggered, this, &NBTableView::addLocation);
        return menu;
    }
    QAction *reload = menu->addAction(OVLocalizedString("Reload Weather Data"));
    reload->setData(row);
    connect(reload, &QAction::triggered, this, [this, reload] { reloadWeather(reload); });
    QAction *remove = menu->addAction(OVLocalizedString("Remove Location"));
    remove->setData(row);
    connect(remove, &QAction::triggered, this, [this, remove] { removeLocation(remove); });
    return menu;
}

void NBTableView::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu = menuForEvent(event->pos());
    menu->exec(event->globalPos());
}

void NBTableView::addLocation()
{
    emit addLocationRequested();
}

int NBTableView::locationRowOfItem(const QAction *item, const char *operation) const
{
    // The list may have changed while the menu was open: the row must still name a location.
    const int row = item->data().toInt();
    const int count = model() ? model()->rowCount() : 0;
    if (row < 0 || row >= count) {
        OVLog(QStringLiteral("[NBTableView %1] No location at row %2 of %3; nothing done.")
                  .arg(QLatin1String(operation)).arg(row).arg(count));
        return -1;
    }
    return row;
}

void NBTableView::reloadWeather(QObject *sender)
{
    const auto *item = qobject_cast<QAction *>(sender);
    if (!item)
        return;
    OVDebugLog(item->text());
    const int row = locationRowOfItem(item, "reloadWeather:");
    if (row < 0)
        return;
    emit reloadLocationAtIndex(row);
}

void NBTableView::removeLocation(QObject *sender)
{
    const auto *item = qobject_cast<QAction *>(sender);
    if (!item)
        return;
    emit removeLocationAtIndex(item->data().toInt());
}
