#include "opendap/OVOpenDAPSource.h"

#include "core/remote/OVURLManager.h"
#include "opendap/OVOpenDAPFormats.h"
#include "opendap/OVOpenDAPNotifications.h"
#include "opendap/OVOpenDAPThreading.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

#include <algorithm>
#include <cmath>

namespace {

struct DocumentText
{
    const char *name;      // "DAS" / "DDS"
    const char *extension; // "das" / "dds"
    const char *parseLine; // the give-up line for a refused document
};

constexpr DocumentText kDocuments[2] = {
    {"DAS", "das", "[OVOpenDAPSource gatherData] Could not parse the DAS: %1"},
    {"DDS", "dds", "[OVOpenDAPSource gatherData] Could not parse the DDS:  %1"},
};

bool isAxisName(const QString &name)
{
    return name == u"lat" || name == u"lon" || name == u"time" || name == u"lev" || name == u"NC_GLOBAL";
}

// The nearest index of `value` on an axis starting at `minimum` in steps of `resolution`.
int64_t nearestIndex(double value, double minimum, double resolution, int64_t size)
{
    if (resolution == 0.0 || size < 1)
        return 0;
    const double steps = std::floor((value - minimum) / resolution + 0.5);
    if (!(steps > 0.0))
        return 0;
    return steps >= double(size - 1) ? size - 1 : int64_t(steps);
}

} // namespace

std::shared_ptr<OVOpenDAPSource> OVOpenDAPSource::create(const QString &baseURLString, OVURLManager *urlManager)
{
    std::shared_ptr<OVOpenDAPSource> source(
        new OVOpenDAPSource(baseURLString, urlManager ? *urlManager : OVURLManager::sharedURLManager()));
    OVOpenDAPThreading::observeDataLoaded(source);
    return source;
}

OVOpenDAPSource::OVOpenDAPSource(const QString &baseURLString, OVURLManager &urlManager)
    : mBaseURLString(baseURLString)
    , mURLManager(&urlManager)
    , mLockQueue(OVOpenDAPThreading::makeQueue("OVOpenDAP.OVOpenDAPSource"))
    , mVariables(std::make_shared<const Variables>())
{
}

OVOpenDAPSource::~OVOpenDAPSource()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    OVOpenDAPThreading::releaseQueue(std::move(mLockQueue));
}

QString OVOpenDAPSource::description() const
{
    return QStringLiteral("OVOpenDAPSource - %1").arg(title());
}

// --- Gathering -----------------------------------------------------------------------------------

void OVOpenDAPSource::gatherDataWithCompletionBlock(CompletionBlock block)
{
    if (mBaseURLString.isEmpty()) {
        OVLog(QStringLiteral("[OVOpenDAPSource gatherData] Attempting to collect data without a url defined."));
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
        if (!wasLoading) {
            mTries = {0, 0};
            mDone = {false, false};
        }
    });
    if (!wasLoading) {
        load(DAS);
        load(DDS);
    }
}

QString OVOpenDAPSource::documentURLString(Document document) const
{
    return QStringLiteral("%1.%2").arg(mBaseURLString, QLatin1StringView(kDocuments[document].extension));
}

void OVOpenDAPSource::load(Document document)
{
    // Counted before the request is queued, so its answer always sees this try.
    mLockQueue->sync([&] { ++mTries[document]; });
    const QString url = documentURLString(document);
    if (!mURLManager->isManagingURLString(url)) {
        const QString name = title().isNull() ? QStringLiteral("(null)") : title();
        mURLManager->loadURL(
            OVURL::createWithURLString(url),
            QStringLiteral("OpenDAP %1 request for %2").arg(QLatin1StringView(kDocuments[document].name), name),
            OVNotifyOpenDAPDataLoaded);
    }
}

void OVOpenDAPSource::gatherDataPostProcessing(const OVNotification &notification)
{
    const OVURLPtr request = notification.object.value<OVURLPtr>();
    if (!request)
        return;
    const QString url = request->urlString();
    Document document;
    if (url == dasURLString())
        document = DAS;
    else if (url == ddsURLString())
        document = DDS;
    else
        return;
    // A failed request (transport, or HTTP 400 and up) brings no document, whatever its bytes.
    const bool failed = request->errorOccurred();
    const QByteArray data = failed ? QByteArray() : request->getData();
    OVDispatch::global(
        [self = shared_from_this(), document, data, failed] { self->documentArrived(document, data, failed); });
}

void OVOpenDAPSource::documentArrived(Document document, const QByteArray &data, bool failed)
{
    // Attribute values are free text (a "long_name" of "température"); the structure document
    // holds only names and types.
    const QString text = failed              ? QString()
                         : document == DAS ? OVOpenDAPFormats::attributeText(data)
                                           : OVOpenDAPFormats::asciiText(data);
    const bool accepted = !text.isNull() && (document == DAS ? parseDAS(text) : parseDDS(text));
    const DocumentText &names = kDocuments[document];

    enum class Outcome { Ignored, Accepted, Retry, GaveUp } outcome = Outcome::Ignored;
    std::vector<CompletionBlock> finished;
    mLockQueue->sync([&] {
        // Only an answer the running gather still waits for counts; a late duplicate does not.
        if (!mIsLoading || mDone[document])
            return;
        if (accepted) {
            std::lock_guard lock(mObjectLock);
            (document == DAS ? mDasReady : mDdsReady) = true;
            mReady = mDasReady && mDdsReady;
            outcome = Outcome::Accepted;
        } else {
            outcome = mTries[document] < 2 ? Outcome::Retry : Outcome::GaveUp;
        }
        if (outcome == Outcome::Retry)
            return;
        mDone[document] = true;
        if (mDone[DAS] && mDone[DDS]) {
            finished.swap(mCompletionBlocks);
            mIsLoading = false;
        }
    });

    if (outcome == Outcome::Retry) {
        OVLog(QStringLiteral("[OVOpenDAPSource gatherData] Unable to parse the %1, retrying.")
                  .arg(QLatin1StringView(names.name)));
        load(document);
    } else if (outcome == Outcome::GaveUp) {
        if (text.isNull())
            OVLog(QStringLiteral("[OVOpenDAPSource gatherData] Could not get %1.").arg(QLatin1StringView(names.name)));
        else
            OVLog(QString::fromLatin1(names.parseLine).arg(text));
    }
    for (const CompletionBlock &block : finished)
        block();
}

// --- Documents -----------------------------------------------------------------------------------

bool OVOpenDAPSource::parseDAS(const QString &text)
{
    const OVOpenDAPFormats::DASContents contents = OVOpenDAPFormats::walkDAS(text);
    std::lock_guard lock(mObjectLock);
    for (const auto &block : contents.blocks) {
        if (isAxisName(block.name))
            continue;
        OVOpenDAPVariablePtr variable = variableNamed(block.name);
        if (!variable) {
            variable = OVOpenDAPVariable::create(block.name);
            addVariable(variable);
        }
        if (block.longName)
            variable->setLongName(*block.longName);
        if (block.missingValue)
            variable->setMissingValue(*block.missingValue);
    }
    const auto &axes = contents.axes;
    const auto apply = [](auto &member, const auto &value) {
        if (value)
            member = *value;
    };
    apply(mAxes.latitudeMin, axes.latitudeMin);
    apply(mAxes.latitudeMax, axes.latitudeMax);
    apply(mAxes.latitudeResolution, axes.latitudeResolution);
    apply(mAxes.latitudeSize, axes.latitudeSize);
    apply(mAxes.longitudeMin, axes.longitudeMin);
    apply(mAxes.longitudeMax, axes.longitudeMax);
    apply(mAxes.longitudeResolution, axes.longitudeResolution);
    apply(mAxes.longitudeSize, axes.longitudeSize);
    apply(mAxes.numberOfSteps, axes.numberOfSteps);
    apply(mAxes.stepInterval, axes.stepInterval);
    apply(mModelRunTime, axes.modelRunTime);

    using OVOpenDAPFormats::kUnreadableDouble;
    using OVOpenDAPFormats::kUnreadableInteger;
    for (double value : {mAxes.latitudeMin, mAxes.latitudeMax, mAxes.latitudeResolution, mAxes.longitudeMin,
                         mAxes.longitudeMax, mAxes.longitudeResolution, mAxes.stepInterval}) {
        if (value == kUnreadableDouble)
            return false;
    }
    for (int64_t value : {mAxes.latitudeSize, mAxes.longitudeSize, mAxes.numberOfSteps}) {
        if (value == kUnreadableInteger)
            return false;
    }
    return true;
}

bool OVOpenDAPSource::parseDDS(const QString &text)
{
    const OVOpenDAPFormats::GridMatch match = OVOpenDAPFormats::matchGrids(text);
    if (match.error)
        return false;
    for (const auto &grid : match.grids)
        updateVariableNamed(grid.arrayName, grid.typeName, grid.mapsText);
    return true;
}

void OVOpenDAPSource::updateVariableNamed(const QString &name, const QString &typeString, const QString &argumentString)
{
    if (name.isNull() || typeString.isNull() || argumentString.isNull())
        return;
    OVOpenDAPVariablePtr variable;
    {
        std::lock_guard lock(mObjectLock);
        variable = variableNamed(name);
        if (!variable) {
            variable = OVOpenDAPVariable::create(name);
            addVariable(variable);
        }
    }
    OVOpenDAPValueDescription returned;
    returned.setTypeFromString(typeString);
    variable->setReturnValueDescription(returned);
    variable->importArgumentsFromString(argumentString);
}

OVOpenDAPVariablePtr OVOpenDAPSource::variableNamed(const QString &name) const
{
    std::lock_guard lock(mObjectLock);
    for (const auto &variable : *variables()) {
        if (variable->name() == name)
            return variable;
    }
    return nullptr;
}

void OVOpenDAPSource::addVariable(const OVOpenDAPVariablePtr &variable)
{
    if (!variable || isAxisName(variable->name()))
        return;
    std::lock_guard lock(mObjectLock);
    auto list = std::make_shared<Variables>(*variables());
    list->push_back(variable);
    std::lock_guard listLock(mVariablesMutex);
    mVariables = std::move(list);
}

QString OVOpenDAPSource::infoURLString() const
{
    return mBaseURLString + QStringLiteral(".info");
}
QString OVOpenDAPSource::dasURLString() const
{
    return documentURLString(DAS);
}
QString OVOpenDAPSource::ddsURLString() const
{
    return documentURLString(DDS);
}

// --- Lookups -------------------------------------------------------------------------------------

int64_t OVOpenDAPSource::indexClosestToLatitude(double latitude) const
{
    const Axes a = axes();
    return nearestIndex(latitude, a.latitudeMin, a.latitudeResolution, a.latitudeSize);
}

int64_t OVOpenDAPSource::indexClosestToLongitude(double longitude) const
{
    const Axes a = axes();
    if (longitude < a.longitudeMin - 0.5 * a.longitudeResolution)
        longitude += 360.0;
    if (longitude > a.longitudeMax + 0.5 * a.longitudeResolution)
        longitude -= 360.0;
    return nearestIndex(longitude, a.longitudeMin, a.longitudeResolution, a.longitudeSize);
}

int64_t OVOpenDAPSource::indexClosestToTime(const QDateTime &date) const
{
    const QDateTime when = date.isValid() ? date : QDateTime::currentDateTimeUtc();
    std::lock_guard lock(mObjectLock);
    if (!mModelRunTime.isValid() || mAxes.stepInterval == 0.0)
        return 0;
    const float steps = float(double(mModelRunTime.msecsTo(when)) / 1000.0 / mAxes.stepInterval);
    const float rounded = std::round(steps);
    if (!(rounded >= 1.0f))
        return 0;
    const int64_t last = std::max<int64_t>(mAxes.numberOfSteps - 1, 0);
    return rounded >= float(last) ? last : int64_t(rounded);
}

int64_t OVOpenDAPSource::closestTimeStepToDate(const QDateTime &date) const
{
    return indexClosestToTime(date);
}

QDateTime OVOpenDAPSource::timeForIndex(int64_t index) const
{
    std::lock_guard lock(mObjectLock);
    return mModelRunTime.addMSecs(qint64(std::llround(double(index) * mAxes.stepInterval * 1000.0)));
}

// --- Members -------------------------------------------------------------------------------------

QString OVOpenDAPSource::baseURLString() const
{
    return mBaseURLString;
}

QString OVOpenDAPSource::title() const
{
    return OVOpenDAPThreading::lockedCopy(mObjectLock, mTitle);
}
void OVOpenDAPSource::setTitle(const QString &title)
{
    OVOpenDAPThreading::lockedAssign(mObjectLock, mTitle, title);
}
QString OVOpenDAPSource::history() const
{
    return OVOpenDAPThreading::lockedCopy(mObjectLock, mHistory);
}
void OVOpenDAPSource::setHistory(const QString &history)
{
    OVOpenDAPThreading::lockedAssign(mObjectLock, mHistory, history);
}
OVOpenDAPSource::Axes OVOpenDAPSource::axes() const
{
    return OVOpenDAPThreading::lockedCopy(mObjectLock, mAxes);
}
void OVOpenDAPSource::setAxes(const Axes &axes)
{
    OVOpenDAPThreading::lockedAssign(mObjectLock, mAxes, axes);
}
QDateTime OVOpenDAPSource::modelRunTime() const
{
    return OVOpenDAPThreading::lockedCopy(mObjectLock, mModelRunTime);
}
void OVOpenDAPSource::setModelRunTime(const QDateTime &time)
{
    OVOpenDAPThreading::lockedAssign(mObjectLock, mModelRunTime, time);
}
bool OVOpenDAPSource::ready() const
{
    return OVOpenDAPThreading::lockedCopy(mObjectLock, mReady);
}
bool OVOpenDAPSource::dasReady() const
{
    return OVOpenDAPThreading::lockedCopy(mObjectLock, mDasReady);
}
bool OVOpenDAPSource::ddsReady() const
{
    return OVOpenDAPThreading::lockedCopy(mObjectLock, mDdsReady);
}

std::shared_ptr<const OVOpenDAPSource::Variables> OVOpenDAPSource::variables() const
{
    std::lock_guard lock(mVariablesMutex);
    return mVariables;
}

bool OVOpenDAPSource::isLoading() const
{
    bool loading = false;
    mLockQueue->sync([&] { loading = mIsLoading; });
    return loading;
}
