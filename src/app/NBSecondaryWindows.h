// The windows beside the main window: the activity panel (the download queue and the update
// status line), the preferences window, the about box, the weather journal, the help window.
// Each is made on first use and kept for the rest of the run; which of the activity panel and
// the journal were open is remembered in `showActivityWindow` and `showJournalWindow`.
//
// The journal window is not made here: its owner (the application controller, through the
// journal controller) gives it through the source handed to the constructor and keeps it; this
// class only shows it and remembers that it is open. Main thread.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include <functional>

class NBPrefController;
class QLabel;
class QListWidget;
class QTextBrowser;

class NBSecondaryWindows : public QObject
{
    Q_OBJECT

public:
    /// Gives the journal window, owned by the caller (a window deleted by its owner is simply
    /// forgotten here). Called on the journal's first opening.
    using JournalSource = std::function<QWidget *()>;

    explicit NBSecondaryWindows(JournalSource journalSource, QObject *parent = nullptr);
    ~NBSecondaryWindows() override;

    /// The window the others first open centred over.
    void setMainWindow(QWidget *mainWindow) { mMainWindow = mainWindow; }
    /// Puts `window` where it was last (the geometry stored under `key`, when a key is given and
    /// a geometry is stored), else centred over `over`, else on the primary screen.
    static void placeWindow(QWidget *window, const QWidget *over, const QString &key = {});
    /// Stores the window's geometry under `key`.
    static void rememberWindow(const QWidget *window, const QString &key);
    /// From now on `window`'s geometry is stored under `key` whenever it closes.
    void trackWindow(QWidget *window, const QString &key);
    /// Stores where the open tracked windows are (at quit).
    void rememberOpenWindows() const;

    /// Closes the activity panel when visible (stores 0), else brings it to the front (stores 1).
    void openActivityPanel();
    void openPrefsWindow();
    void openAboutBox();
    /// Brings the journal window to the front and stores 1 under `showJournalWindow`.
    void openWeatherJournal();
    /// Brings the help window to the front with the product's help page ("/help/"); no page
    /// is loaded when no product address is set.
    void openHelp();

    /// The activity panel's list shows these download queue entries.
    void setUrlsManaged(const QList<QVariantMap> &urls);
    /// The activity panel's status line, when the panel exists.
    void setActivityStatus(const QString &text);

    QWidget *activityPanel() const { return mActivityPanel; }
    QListWidget *activityList() const { return mActivityList; }
    QLabel *activityPanelStatusText() const { return mActivityStatus; }
    QWidget *prefsWindow() const { return mPrefsWindow; }
    /// The preferences window's controller; null until the window is first opened.
    NBPrefController *prefController() const { return mPrefController; }
    QWidget *aboutBox() const { return mAboutBox; }
    QLabel *aboutBoxTitle() const { return mAboutBoxTitle; }
    QLabel *aboutBoxCredits() const { return mAboutBoxCredits; }
    QWidget *weatherJournalWindow() const { return mJournalWindow; }
    QWidget *helpWindow() const { return mHelpWindow; }
    QTextBrowser *helpWebView() const { return mHelpWebView; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void makeActivityPanel();
    void rememberWindowOf(QObject *watched) const;

    struct TrackedWindow
    {
        QPointer<QWidget> window;
        QString key;
    };
    static void bringToFront(QWidget *window);

    QPointer<QWidget> mActivityPanel;
    QListWidget *mActivityList = nullptr;
    QLabel *mActivityStatus = nullptr;
    QPointer<QWidget> mPrefsWindow;
    NBPrefController *mPrefController = nullptr; // owns the preferences window
    QPointer<QWidget> mAboutBox;
    QLabel *mAboutBoxTitle = nullptr;
    QLabel *mAboutBoxCredits = nullptr;
    QPointer<QWidget> mJournalWindow;
    JournalSource mJournalSource;
    QPointer<QWidget> mHelpWindow;
    QTextBrowser *mHelpWebView = nullptr;
    QList<QVariantMap> mUrls;
    QPointer<QWidget> mMainWindow;
    QList<TrackedWindow> mTracked;
    bool mQuitting = false;
};
