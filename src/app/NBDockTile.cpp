#include "app/NBDockTile.h"

#include "platform/OVLocalize.h"

#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QSystemTrayIcon>

namespace {

const int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

} // namespace

NBDockTile::NBDockTile(std::function<QMenu *(QSystemTrayIcon *tray)> dockMenu, QObject *parent)
    : QObject(parent)
    , mDockMenu(std::move(dockMenu))
{
    mTray = new QSystemTrayIcon(this);
    mTrayMenu = new QMenu();
    mTray->setContextMenu(mTrayMenu);
    // The dock menu lists the places as they are when it opens.
    connect(mTrayMenu, &QMenu::aboutToShow, this, &NBDockTile::fillTrayMenu);
    connect(mTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit showMainWindowRequested();
    });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        mTray->show();
    redraw();
}

void NBDockTile::fillTrayMenu()
{
    mTrayMenu->clear();
    if (mDockMenu) {
        QMenu *made = mDockMenu(mTray);
        for (QAction *action : made->actions()) {
            action->setParent(mTrayMenu);
            mTrayMenu->addAction(action);
        }
        delete made;
    }
    // What a dock menu always has: a way back to the window, even after it was hidden, and out.
    mTrayMenu->addSeparator();
    connect(mTrayMenu->addAction(OVLocalizedString("Show Nimbrel Core")), &QAction::triggered, this,
            &NBDockTile::showMainWindowRequested);
    connect(mTrayMenu->addAction(OVLocalizedString("Quit")), &QAction::triggered, this, &NBDockTile::quitRequested);
}

NBDockTile::~NBDockTile()
{
    delete mTrayMenu;
}

void NBDockTile::setBadgeLabel(const QString &label)
{
    mLabel = label;
    redraw();
}

QImage NBDockTile::applicationIcon(int size)
{
    // The drawn sizes are in the program's resources; a program built without them gets a
    // plain disc, so the badge always has something to sit on.
    for (const int drawn : kIconSizes) {
        if (drawn < size && drawn != kIconSizes[std::size(kIconSizes) - 1])
            continue;
        const QImage image(QStringLiteral(":/app-icon/nimbrel-core-%1.png").arg(drawn));
        if (!image.isNull())
            return image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        break;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 120, 200));
    painter.drawEllipse(QRectF(0, 0, size, size).adjusted(1, 1, -1, -1));
    return image;
}

QImage NBDockTile::badgedIcon(int size, const QString &label)
{
    QImage image = applicationIcon(size);
    if (label.isEmpty() || size < kSmallestBadgedSize)
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(std::max(6, size * 9 / 32));
    const QFontMetricsF metrics(font);
    const qreal height = metrics.height() * 1.15;
    const qreal width = std::min<qreal>(size, std::max(height, metrics.horizontalAdvance(label) + height * 0.6));
    const QRectF badge(size - width, 0, width, height);
    QPainterPath shape;
    shape.addRoundedRect(badge, height / 2, height / 2);
    painter.fillPath(shape, badgeColor());
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(badge, Qt::AlignCenter, label);
    return image;
}

void NBDockTile::redraw()
{
    QIcon icon;
    for (const int size : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(badgedIcon(size, mLabel)));
    QApplication::setWindowIcon(icon);
    if (mTray)
        mTray->setIcon(icon);
}
