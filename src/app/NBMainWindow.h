// The main window, built in code: the split view with the location list and the filled view
// under it on the left and the main content view on the right, and the 33-pixel strip along the
// bottom edge with the last-updated label and the update progress bar. Every part carries its
// outlet name as object name. The panels, graphs and map fill `baseView` in their own time.
#pragma once

#include <QMainWindow>

class OVFilledView;
class QLabel;
class QListView;
class QProgressBar;
class QSplitter;

class NBMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// Height of the strip along the bottom edge.
    static constexpr int kBottomBorderThickness = 33;

    explicit NBMainWindow(QWidget *parent = nullptr);

    QSplitter *splitView() const { return mSplitView; }
    QWidget *leftSplitSubview() const { return mLeftSplitSubview; }
    QWidget *mainSplitSubView() const { return mMainSplitSubView; }
    QListView *locationTable() const { return mLocationTable; }
    OVFilledView *locationInfoView() const { return mLocationInfoView; }
    QWidget *baseView() const { return mBaseView; }
    QWidget *bottomBorder() const { return mBottomBorder; }
    QLabel *lastUpdatedLabel() const { return mLastUpdatedLabel; }
    QProgressBar *progressBar() const { return mProgressBar; }

    /// Gives the window its bottom strip.
    void setBottomBorderThickness(int thickness);

private:
    QSplitter *mSplitView = nullptr;
    QWidget *mLeftSplitSubview = nullptr;
    QWidget *mMainSplitSubView = nullptr;
    QListView *mLocationTable = nullptr;
    OVFilledView *mLocationInfoView = nullptr;
    QWidget *mBaseView = nullptr;
    QWidget *mBottomBorder = nullptr;
    QLabel *mLastUpdatedLabel = nullptr;
    QProgressBar *mProgressBar = nullptr;
};
