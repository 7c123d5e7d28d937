// The check for a newer version: once per launch (unless the user disabled it) the program
// asks the download server (registered default "NBDownloadServerURL" +
// "/nimbrel/latest_version.txt") for the latest version's text; a newer one brings an alert
// that offers the product's page, to stop checking, or nothing.
//
// Only a status 200 reply counts; a body with a byte above 0x7F, a failed load or an empty
// server shows nothing (an empty server sends nothing and logs one line). Main thread.
#pragma once

#include "core/remote/OVURL.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class NBAlertService;

class NBVersionCheck : public QObject
{
    Q_OBJECT

public:
    NBVersionCheck(std::shared_ptr<NBAlertService> alerts, QWidget *window, QObject *parent = nullptr);
    ~NBVersionCheck() override;

    /// Stores `checkForUpdates` true when it was never stored; then, when it reads true,
    /// starts the request. A check in flight is dropped first.
    void checkServerForUpdates();
    /// The request in flight; null when none runs.
    OVURLPtr task() const { return mTask; }

    /// True when version `a` is newer than `b` ("2.1b3" < "2.1" < "2.1.1", "2.10" > "2.9").
    static bool isVersionLaterThan(const QString &a, const QString &b);
    /// The body's text trimmed; nothing when a byte is not ASCII.
    static std::optional<QString> latestVersionFromBody(const QByteArray &body);
    /// The alert's message for the two versions.
    static QString alertMessage(const QString &current, const QString &latest);

private:
    void finished(const OVURLPtr &request);
    void showAlert(const QString &current, const QString &latest);

    std::shared_ptr<NBAlertService> mAlerts;
    QPointer<QWidget> mWindow;
    OVURLPtr mTask;
};
