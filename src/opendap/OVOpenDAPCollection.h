// One model product on the OpenDAP service of the model-data server, and the discovery of its
// recent runs from the server's HTML directory listings: the product page lists day folders,
// each day page lists the runs of that day. Every run found becomes a dataset source with its
// run time (read from the run's URL path) and a title.
//
// A discovery reads the product page, then day pages newest first until enough runs are
// found, and replaces `sources` only when the newest run changed (otherwise the same source
// objects, with their loaded documents, stay). Callers during a discovery join it; every
// waiting block is called once when it ends, whatever the outcome.
//
// Threads: the discovery steps run on the main thread (download notifications). The lock
// queue guards the loading flag and the waiting blocks; blocks are taken out under it and
// called outside it, so a block may start the next discovery. The run lists sit behind one
// mutex and are replaced whole. Any thread may ask the lookups.
#pragma once

#include "opendap/OVOpenDAPSource.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class OVMapProjection;
class OVSerialQueue;
class OVURLManager;
struct OVNotification;

class OVOpenDAPCollection : public std::enable_shared_from_this<OVOpenDAPCollection>
{
public:
    using CompletionBlock = std::function<void()>;
    using Sources = std::vector<OVOpenDAPSourcePtr>;

    /// A collection with these values, downloading through `urlManager` (the shared one by
    /// default; it must outlive the collection).
    static std::shared_ptr<OVOpenDAPCollection> collectionWithName(const QString &name, const QString &shortName,
                                                                   const QString &detail, const QString &url,
                                                                   const QString &uriToDateFormat,
                                                                   OVURLManager *urlManager = nullptr);
    /// The built-in product of that type number, its URL under the configured model-data
    /// server; null for any other number.
    static std::shared_ptr<OVOpenDAPCollection> collectionOfType(int64_t type, OVURLManager *urlManager = nullptr);
    /// Type number to short label, for every built-in product.
    static QMap<int64_t, QString> collectionTypes();
    /// The configured scheme and host of the model-data server, without a trailing "/".
    static QString modelDataServerURL();

    ~OVOpenDAPCollection();
    OVOpenDAPCollection(const OVOpenDAPCollection &) = delete;
    OVOpenDAPCollection &operator=(const OVOpenDAPCollection &) = delete;

    /// The newest run of the last discovery; null before the first one or when none was found.
    OVOpenDAPSourcePtr latestCompleteSource() const;
    /// The run `steps` places after `source` in `sources` (positive: older runs); null when
    /// `source` is not listed or the place falls outside the list.
    OVOpenDAPSourcePtr sourceBefore(const OVOpenDAPSourcePtr &source, int64_t steps) const;
    /// The run whose run time is nearest to `time` (the newer on a tie; invalid: the newest
    /// run); null when any run lacks a run time.
    OVOpenDAPSourcePtr sourceForTime(const QDateTime &time) const;

    /// Starts a discovery or joins the running one; the block (optional) runs when it ends.
    void gatherDataWithCompletionBlock(CompletionBlock block = {});
    /// Takes a finished download of the product page or the awaited day page (main thread).
    void gatherDataPostProcessing(const OVNotification &notification);

    /// The day-page links of a product page: same host, path under the product's, sorted.
    QStringList linksFromHTMLListing(const QString &html) const;
    /// The run names of a day page (the last path component of each ".info" link that is not
    /// excluded), sorted.
    QStringList modelTimesFromHTMLListing(const QString &html) const;
    bool shouldExcludeLink(const QString &link) const;
    /// The instant a run's URL path names by `uriToDateFormat` (the whole path must fit);
    /// invalid otherwise.
    QDateTime runTimeForPath(const QString &path) const;

    int64_t type() const { return mType; }
    QString name() const { return mName; }
    QString detailDescription() const { return mDetailDescription; }
    QString shortName() const { return mShortName; }
    QString urlString() const { return mURLString; }
    QString uriToDateFormat() const { return mURIToDateFormat; }
    QString excludePattern() const { return mExcludePattern; }
    std::shared_ptr<const OVMapProjection> projection() const { return mProjection; }
    int64_t numberOfRecentSourcesToGather() const { return mNumberOfRecentSourcesToGather; }
    void setNumberOfRecentSourcesToGather(int64_t count) { mNumberOfRecentSourcesToGather = count; }
    /// Newest first; empty before the first discovery that found runs.
    Sources sources() const;
    bool ready() const;
    bool isLoading() const;
    QStringList linksToCheck() const;
    OVURLManager &urlManager() const { return *mURLManager; }

private:
    OVOpenDAPCollection(const QString &name, const QString &shortName, const QString &detail, const QString &url,
                        const QString &uriToDateFormat, OVURLManager &urlManager);
    void gatherDataPost2(const QString &url, const QByteArray &data);
    void gatherDataPost3();
    void gatherDataPost4(const QString &url, const QByteArray &data);
    void closeDiscovery();
    void gatherDataFinish();

    int64_t mType = 0;
    const QString mName;
    const QString mShortName;
    const QString mDetailDescription;
    const QString mURLString;
    const QString mURIToDateFormat;
    QString mExcludePattern;
    int64_t mNumberOfRecentSourcesToGather = 5;
    const std::shared_ptr<const OVMapProjection> mProjection;
    OVURLManager *mURLManager;
    std::shared_ptr<OVSerialQueue> mLockQueue;

    // Under the lock queue.
    bool mIsLoading = false;
    std::vector<CompletionBlock> mCompletionBlocks;

    // Under the mutex; written on the main thread only.
    mutable std::mutex mMutex;
    Sources mSources;
    Sources mSourcesLoading;
    QStringList mLinksToCheck;
    bool mReady = false;
};

using OVOpenDAPCollectionPtr = std::shared_ptr<OVOpenDAPCollection>;
