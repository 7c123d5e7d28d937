// Layout and presentation of the status view.
#include "core/views/OVStatusView.h"

#include "core/views/OVYUp.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kLabelHeight = 17;
constexpr int kIndicatorSize = 32;

} // namespace

OVStatusView *OVStatusView::statusViewWithText(const QString &text, QWidget *parent)
{
    auto *view = new OVStatusView(QSize(350, 52), parent);
    view->setStatusText(text);
    return view;
}

OVStatusView::OVStatusView(const QSize &size, QWidget *parent)
    : QWidget(parent)
{
    resize(size);
    const double w = size.width();
    const double h = size.height();
    mStatusLabel = new QLabel(this);
    mStatusLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    mStatusLabel->setFrameShape(QFrame::NoFrame);
    mStatusLabel->setAutoFillBackground(false);
    OVYUp::setFrame(*mStatusLabel, QRectF(10, std::round((h - kLabelHeight) / 2.0), w - 52, kLabelHeight));

    mProgress = new QProgressBar(this);
    mProgress->setTextVisible(false);
    mProgress->setValue(0);
    OVYUp::setFrame(*mProgress,
                    QRectF(w - 42, std::round((h - kIndicatorSize) / 2.0), kIndicatorSize, kIndicatorSize));
    setAnimating(false);
}

OVStatusView::~OVStatusView()
{
    // The panel owns this view while it is open; detach so neither deletes the other twice.
    if (mPanel && parentWidget() == mPanel) {
        setParent(nullptr);
        mPanel->deleteLater();
    }
}

void OVStatusView::setStatusText(const QString &text)
{
    mStatusLabel->setText(text);
    window()->repaint();
}

void OVStatusView::setProgressIndeterminate(bool indeterminate)
{
    mIndeterminate = indeterminate;
    setAnimating(mAnimating);
}

void OVStatusView::setProgressPercent(double percent)
{
    mProgress->setValue(int(std::lround(percent)));
    window()->repaint();
}

void OVStatusView::setAnimating(bool animating)
{
    mAnimating = animating;
    // A busy bar (range 0..0) only while an indeterminate indicator animates.
    if (mIndeterminate && animating)
        mProgress->setRange(0, 0);
    else
        mProgress->setRange(0, 100);
}

void OVStatusView::open()
{
    openPanel(nullptr);
}

void OVStatusView::openAsSheetOfWindow(QWidget *window)
{
    if (!window) {
        open();
        return;
    }
    mOpenedAsSheet = true;
    openPanel(window);
}

void OVStatusView::openPanel(QWidget *window)
{
    auto *panel = new QDialog(window, window ? Qt::Sheet : Qt::Dialog | Qt::FramelessWindowHint);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(this);
    panel->setFixedSize(size());
    mPanel = panel;
    if (window) {
        panel->setWindowModality(Qt::WindowModal);
        panel->open();
    } else {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            panel->move(screen->availableGeometry().center() - panel->rect().center());
        panel->show();
        panel->raise();
        panel->activateWindow();
    }
    setAnimating(true);
}

void OVStatusView::close()
{
    setAnimating(false);
    mOpenedAsSheet = false;
    if (!mPanel)
        return;
    // Keep this view alive: the panel deletes itself when closed.
    QDialog *panel = mPanel;
    setParent(nullptr);
    mPanel = nullptr;
    panel->close();
}
