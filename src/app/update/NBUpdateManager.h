// The update notice: once per launch the program asks the status server
// (registered default "NBStatusServerURL" + "/status/core_2.x/update.json") for a small JSON
// document; when it asks for a notice, the user has not ignored that notice and the application
// controller runs, the notice opens in a window "Update" of its own.
//
// No status server set: no request, one log line. A network failure, an HTTP error status or a
// document that NBUpdateNotice refuses shows nothing. Main thread only.
//
// The running application controller sets the notice's host (the main window, whose screen the
// notice is centred on); without a host no notice is shown.
#pragma once

#include "app/update/NBUpdateNotice.h"
#include "app/update/NBUpdateViewController.h"
#include "core/remote/OVURL.h"

#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <optional>

class NBUpdateManager
{
public:
    /// The one manager; making it starts the fetch.
    static NBUpdateManager &shared();
    /// Gives the window a notice opens beside (it may answer null: the primary screen is then
    /// used); an empty function says nobody runs to show a notice to. Does not make the manager.
    static void setNoticeHost(std::function<QWidget *()> host);

    /// Starts a GET of the status document; a fetch in flight is dropped.
    void fetchUpdate();
    /// Checks the received bytes and keeps the accepted document, then promptUpdateIfNeeded.
    void parseResponse(const QByteArray &data);
    /// Decides on the main thread's event loop whether to show the notice, and shows it.
    void promptUpdateIfNeeded();

    QVariantMap fetchedDictionary() const { return mFetchedDictionary; }
    /// The controller of the notice window; null until a notice was shown.
    NBUpdateViewController *updateViewController() const { return mUpdateViewController; }
    /// The notice window; null until a notice was shown.
    QWidget *updateWindow() const { return mWindow; }

private:
    NBUpdateManager();
    void requestFinished(const OVURLPtr &request);
    void showNotice(const NBUpdateNotice &notice);

    OVURLPtr mRequest;
    std::optional<NBUpdateNotice> mNotice;
    QVariantMap mFetchedDictionary;
    QPointer<QWidget> mWindow;
    QPointer<NBUpdateViewController> mUpdateViewController;
};
