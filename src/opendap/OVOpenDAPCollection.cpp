#include "opendap/OVOpenDAPCollection.h"

#include "core/NBRegisteredDefaults.h"
#include "core/regex/ExtRegexAdditions.h"
#include "core/remote/OVURLManager.h"
#include "map/projection/OVMapProjection.h"
#include "opendap/OVOpenDAPFormats.h"
#include "opendap/OVOpenDAPProducts.h"
#include "opendap/OVOpenDAPText.h"
#include "opendap/OVOpenDAPThreading.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVUserDefaults.h"

#include <QUrl>

#include <unicode/uregex.h>

#include <algorithm>
#include <cmath>

namespace {

// Every capture of `pattern` in `html`, matched without regard to case.
QStringList capturesIn(const QString &html, const QString &pattern)
{
    QStringList captures;
    const QList<QStringList> matches = ExtRegexAdditions::arrayOfCaptureComponentsMatchedByRegex(
        html, pattern, UREGEX_CASE_INSENSITIVE, ERXRange{0, uint64_t(html.size())});
    for (const QStringList &match : matches) {
        if (match.size() > 1)
            captures << match.at(1);
    }
    return captures;
}

} // namespace

// --- Making --------------------------------------------------------------------------------------

std::shared_ptr<OVOpenDAPCollection>
OVOpenDAPCollection::collectionWithName(const QString &name, const QString &shortName, const QString &detail,
                                        const QString &url, const QString &uriToDateFormat, OVURLManager *urlManager)
{
    std::shared_ptr<OVOpenDAPCollection> collection(new OVOpenDAPCollection(
        name, shortName, detail, url, uriToDateFormat, urlManager ? *urlManager : OVURLManager::sharedURLManager()));
    OVOpenDAPThreading::observeDataLoaded(collection);
    return collection;
}

std::shared_ptr<OVOpenDAPCollection> OVOpenDAPCollection::collectionOfType(int64_t type, OVURLManager *urlManager)
{
    const OVOpenDAPProducts::Product *product = OVOpenDAPProducts::productOfType(type);
    if (!product)
        return nullptr;
    auto collection = collectionWithName(product->name, product->shortName, product->detailDescription,
                                         modelDataServerURL() + product->path, product->uriToDateFormat, urlManager);
    collection->mType = type;
    collection->mExcludePattern = product->excludePattern;
    return collection;
}

QMap<int64_t, QString> OVOpenDAPCollection::collectionTypes()
{
    QMap<int64_t, QString> types;
    for (const auto &product : OVOpenDAPProducts::all())
        types.insert(product.type, product.label);
    return types;
}

QString OVOpenDAPCollection::modelDataServerURL()
{
    const QString key = NBSettingKey::modelDataServerURL;
    QString server = OVUserDefaults::standard().stringForKey(key);
    if (server.isEmpty())
        server = NBRegisteredDefaults::table().value(key).toString();
    while (server.endsWith(u'/'))
        server.chop(1);
    return server;
}

OVOpenDAPCollection::OVOpenDAPCollection(const QString &name, const QString &shortName, const QString &detail,
                                         const QString &url, const QString &uriToDateFormat, OVURLManager &urlManager)
    : mName(name)
    , mShortName(shortName)
    , mDetailDescription(detail)
    , mURLString(url)
    , mURIToDateFormat(uriToDateFormat)
    , mProjection(std::make_shared<OVEquirectangularMapProjection>())
    , mURLManager(&urlManager)
    , mLockQueue(OVOpenDAPThreading::makeQueue("OVOpenDAP.OVOpenDAPCollection"))
{
}

OVOpenDAPCollection::~OVOpenDAPCollection()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    OVOpenDAPThreading::releaseQueue(std::move(mLockQueue));
}

// --- Lookups -------------------------------------------------------------------------------------

OVOpenDAPSourcePtr OVOpenDAPCollection::latestCompleteSource() const
{
    std::lock_guard lock(mMutex);
    return mReady && !mSources.empty() ? mSources.front() : nullptr;
}

OVOpenDAPSourcePtr OVOpenDAPCollection::sourceBefore(const OVOpenDAPSourcePtr &source, int64_t steps) const
{
    std::lock_guard lock(mMutex);
    const auto it = std::find(mSources.begin(), mSources.end(), source);
    if (!source || it == mSources.end())
        return nullptr;
    const int64_t position = int64_t(it - mSources.begin()) + steps;
    return position >= 0 && position < int64_t(mSources.size()) ? mSources[size_t(position)] : nullptr;
}

OVOpenDAPSourcePtr OVOpenDAPCollection::sourceForTime(const QDateTime &time) const
{
    if (!time.isValid())
        return latestCompleteSource();
    const Sources runs = sources();
    if (!ready() || runs.empty())
        return nullptr;
    OVOpenDAPSourcePtr nearest;
    qint64 nearestDistance = 0;
    for (const OVOpenDAPSourcePtr &run : runs) {
        const QDateTime runTime = run->modelRunTime();
        if (!runTime.isValid())
            return nullptr;
        const qint64 distance = std::abs(runTime.msecsTo(time));
        // Strictly nearer only: on a tie the earlier entry, the newer run, stays.
        if (!nearest || distance < nearestDistance) {
            nearest = run;
            nearestDistance = distance;
        }
    }
    return nearest;
}

// --- Discovery -----------------------------------------------------------------------------------

void OVOpenDAPCollection::gatherDataWithCompletionBlock(CompletionBlock block)
{
    if (mURLString.isEmpty()) {
        OVLog(QStringLiteral("[OVOpenDAPCollection gatherData] Attempting to collect data without a url defined."));
        if (block)
            block();
        return;
    }
    bool wasLoading = false;
    mLockQueue->sync([&] {
        if (block)
            mCompletionBlocks.push_back(std::move(block));
        wasLoading = mIsLoading;
        mIsLoading = true;
    });
    if (!wasLoading && !mURLManager->isManagingURLString(mURLString)) {
        mURLManager->loadURL(OVURL::createWithURLString(mURLString),
                             QStringLiteral("OpenDAP Collection request for %1").arg(mName), OVNotifyOpenDAPDataLoaded);
    }
}

void OVOpenDAPCollection::gatherDataPostProcessing(const OVNotification &notification)
{
    const OVURLPtr request = notification.object.value<OVURLPtr>();
    // Products that share a listing (the NAM regions) see each other's pages; only a running
    // discovery takes them, so an idle collection never builds a run list nobody asked for.
    if (!request || !isLoading())
        return;
    // A failed request (transport, or HTTP 400 and up) brings no page, whatever its bytes.
    const QByteArray data = request->errorOccurred() ? QByteArray() : request->getData();
    const QString url = request->urlString();
    if (url == mURLString)
        gatherDataPost2(url, data);
    else
        gatherDataPost4(url, data);
}

void OVOpenDAPCollection::gatherDataPost2(const QString &url, const QByteArray &data)
{
    Q_UNUSED(url);
    QStringList links = linksFromHTMLListing(OVOpenDAPFormats::asciiText(data));
    std::reverse(links.begin(), links.end()); // newest day first
    {
        std::lock_guard lock(mMutex);
        mLinksToCheck = links;
    }
    if (links.isEmpty())
        gatherDataFinish();
    else
        gatherDataPost3();
}

void OVOpenDAPCollection::gatherDataPost3()
{
    QString next;
    {
        std::lock_guard lock(mMutex);
        const bool enough =
            mNumberOfRecentSourcesToGather != 0 && int64_t(mSourcesLoading.size()) >= mNumberOfRecentSourcesToGather;
        if (!enough && !mLinksToCheck.isEmpty())
            next = mLinksToCheck.first();
    }
    if (next.isEmpty()) {
        closeDiscovery();
        return;
    }
    // A page already on its way announces itself; either way its notification continues here.
    if (!mURLManager->isManagingURLString(next)) {
        mURLManager->loadURL(OVURL::createWithURLString(next),
                             QStringLiteral("OpenDAP Collection list request for %1").arg(mName),
                             OVNotifyOpenDAPDataLoaded);
    }
}

void OVOpenDAPCollection::gatherDataPost4(const QString &url, const QByteArray &data)
{
    {
        std::lock_guard lock(mMutex);
        if (mLinksToCheck.isEmpty() || mLinksToCheck.first() != url)
            return;
    }
    const QString text = OVOpenDAPFormats::asciiText(data);
    if (text.isNull()) {
        OVLog(QStringLiteral("[OVOpenDAPCollection gatherDataPost4] Failed to get data from %1").arg(url));
        gatherDataFinish();
        return;
    }
    QStringList runs = modelTimesFromHTMLListing(text);
    std::reverse(runs.begin(), runs.end()); // newest run first
    Sources found;
    for (const QString &run : runs)
        found.push_back(OVOpenDAPSource::create(url + u'/' + run, mURLManager));
    {
        std::lock_guard lock(mMutex);
        mSourcesLoading.insert(mSourcesLoading.end(), found.begin(), found.end());
        mLinksToCheck.removeFirst();
    }
    gatherDataPost3();
}

void OVOpenDAPCollection::closeDiscovery()
{
    Sources loading;
    bool unchanged = false;
    {
        std::lock_guard lock(mMutex);
        loading = mSourcesLoading;
        // The same newest run: nothing changed, and the runs with their loaded documents stay.
        // No run at all: the last good list stays too.
        unchanged = loading.empty() ||
                    (!mSources.empty() && mSources.front()->baseURLString() == loading.front()->baseURLString());
    }
    if (!unchanged) {
        for (const OVOpenDAPSourcePtr &run : loading) {
            const QDateTime runTime = runTimeForPath(QUrl(run->baseURLString()).path());
            if (runTime.isValid())
                run->setModelRunTime(runTime);
            const QString when = runTime.isValid() ? OVOpenDAPText::defaultDateText(runTime) : QStringLiteral("(null)");
            run->setTitle(QStringLiteral("%1 run at %2").arg(mName, when));
        }
    }
    {
        std::lock_guard lock(mMutex);
        if (!unchanged)
            mSources = loading;
        mReady = true;
    }
    gatherDataFinish();
}

void OVOpenDAPCollection::gatherDataFinish()
{
    {
        std::lock_guard lock(mMutex);
        mSourcesLoading.clear();
        mLinksToCheck.clear();
    }
    std::vector<CompletionBlock> finished;
    mLockQueue->sync([&] {
        finished.swap(mCompletionBlocks);
        mIsLoading = false;
    });
    // Outside the queue, so a block may start the next discovery.
    for (const CompletionBlock &block : finished)
        block();
}

// --- Listings ------------------------------------------------------------------------------------

QStringList OVOpenDAPCollection::linksFromHTMLListing(const QString &html) const
{
    if (html.isEmpty())
        return {};
    const QUrl product(mURLString);
    QStringList links;
    for (const QString &link : capturesIn(html, QStringLiteral("<a href=\"(.*?)\">"))) {
        const QUrl url(link);
        if (url.host() == product.host() && url.path().startsWith(product.path()))
            links << link;
    }
    links.sort();
    return links;
}

QStringList OVOpenDAPCollection::modelTimesFromHTMLListing(const QString &html) const
{
    if (html.isEmpty())
        return {};
    QStringList runs;
    for (const QString &link : capturesIn(html, QStringLiteral("<a href=\"(.*?)\\.info\">"))) {
        if (!shouldExcludeLink(link))
            runs << link.section(u'/', -1);
    }
    runs.sort();
    return runs;
}

bool OVOpenDAPCollection::shouldExcludeLink(const QString &link) const
{
    return !mExcludePattern.isEmpty() && ExtRegexAdditions::isMatchedByRegex(link, mExcludePattern);
}

QDateTime OVOpenDAPCollection::runTimeForPath(const QString &path) const
{
    const auto format = OVOpenDAPText::posixGMTFormat(mURIToDateFormat);
    // The whole path must fit the pattern, not just its beginning.
    return format ? OVOpenDAPText::parseWhole(*format, path) : QDateTime();
}

// --- Members -------------------------------------------------------------------------------------

OVOpenDAPCollection::Sources OVOpenDAPCollection::sources() const
{
    return OVOpenDAPThreading::lockedCopy(mMutex, mSources);
}
bool OVOpenDAPCollection::ready() const
{
    return OVOpenDAPThreading::lockedCopy(mMutex, mReady);
}
bool OVOpenDAPCollection::isLoading() const
{
    bool loading = false;
    mLockQueue->sync([&] { loading = mIsLoading; });
    return loading;
}
QStringList OVOpenDAPCollection::linksToCheck() const
{
    return OVOpenDAPThreading::lockedCopy(mMutex, mLinksToCheck);
}
