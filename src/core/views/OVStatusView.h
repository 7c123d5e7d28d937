// A status text with a busy indicator, shown as a small frameless panel or as a window-modal
// sheet of another window. Geometry of the parts is y-up (label and indicator vertically
// centred). Main thread.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;

class OVStatusView : public QWidget
{
    Q_OBJECT

public:
    /// A status view 350 x 52 showing `text`.
    static OVStatusView *statusViewWithText(const QString &text, QWidget *parent = nullptr);

    explicit OVStatusView(const QSize &size = QSize(350, 52), QWidget *parent = nullptr);
    ~OVStatusView() override;

    QLabel *statusLabel() const { return mStatusLabel; }
    QProgressBar *progress() const { return mProgress; }

    /// Sets the text and repaints the window at once.
    void setStatusText(const QString &text);
    void setProgressIndeterminate(bool indeterminate);
    /// Sets the indicator's value (0..100) and repaints the window at once.
    void setProgressPercent(double percent);

    /// Shows the view in a new frameless panel centred on the screen and starts the indicator.
    void open();
    /// Shows the view as a window-modal sheet of `window` (`open` without a window).
    void openAsSheetOfWindow(QWidget *window);
    /// Stops the indicator and closes the panel or sheet.
    void close();

    bool openedAsSheet() const { return mOpenedAsSheet; }
    /// The panel or sheet showing the view (null while closed).
    QDialog *panel() const { return mPanel; }

private:
    void openPanel(QWidget *window);
    void setAnimating(bool animating);

    QLabel *mStatusLabel = nullptr;
    QProgressBar *mProgress = nullptr;
    QPointer<QDialog> mPanel;
    bool mOpenedAsSheet = false;
    bool mIndeterminate = true;
    bool mAnimating = false;
};
