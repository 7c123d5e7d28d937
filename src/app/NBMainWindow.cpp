#include "app/NBMainWindow.h"

#include "app/NBBaseView.h"
#include "app/NBLastUpdatedTextField.h"
#include "app/locations/NBTableView.h"
#include "core/views/OVFilledView.h"

#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

template <class Widget>
Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

NBMainWindow::NBMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("window"));
    setWindowTitle(QStringLiteral("Nimbrel Core"));
    setMinimumSize(800, 560);
    resize(1280, 820);

    auto *content = new QWidget(this);
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(0);

    mSplitView = named(new QSplitter(Qt::Horizontal, content), "splitView");
    mLeftSplitSubview = named(new QWidget(mSplitView), "leftSplitSubview");
    auto *leftLayout = new QVBoxLayout(mLeftSplitSubview);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    mLocationTable = named(new NBTableView(mLeftSplitSubview), "locationTable");
    mLocationTable->setSelectionMode(QAbstractItemView::SingleSelection);
    mLocationTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mLocationInfoView = named(new OVFilledView(mLeftSplitSubview), "locationInfoView");
    mLocationInfoView->setMinimumHeight(60);
    leftLayout->addWidget(mLocationTable, 1);
    leftLayout->addWidget(mLocationInfoView);

    mMainSplitSubView = named(new QWidget(mSplitView), "mainSplitSubView");
    auto *mainLayout = new QGridLayout(mMainSplitSubView);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mBaseView = named(new NBBaseView(mMainSplitSubView), "baseView");
    mainLayout->addWidget(mBaseView, 0, 0);

    mSplitView->addWidget(mLeftSplitSubview);
    mSplitView->addWidget(mMainSplitSubView);
    mSplitView->setStretchFactor(1, 1);
    mSplitView->setSizes({240, 1040});

    mBottomBorder = named(new QWidget(content), "bottomBorder");
    auto *bottomLayout = new QGridLayout(mBottomBorder);
    bottomLayout->setContentsMargins(8, 0, 8, 0);
    mLastUpdatedLabel = named(new NBLastUpdatedTextField(mBottomBorder), "lastUpdatedLabel");
    mLastUpdatedLabel->setAlignment(Qt::AlignCenter);
    mProgressBar = named(new QProgressBar(mBottomBorder), "progressBar");
    mProgressBar->setRange(0, 100);
    mProgressBar->setTextVisible(false);
    mProgressBar->setFixedWidth(160);
    mProgressBar->hide();
    bottomLayout->addWidget(mLastUpdatedLabel, 0, 0);
    bottomLayout->addWidget(mProgressBar, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    mBottomBorder->hide();

    contentLayout->addWidget(mSplitView, 1);
    contentLayout->addWidget(mBottomBorder);
    setCentralWidget(content);
}

void NBMainWindow::setBottomBorderThickness(int thickness)
{
    mBottomBorder->setFixedHeight(thickness);
    mBottomBorder->setVisible(thickness > 0);
}
