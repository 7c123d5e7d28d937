#include "opendap/OVOpenDAPArrayRequest.h"

#include "core/remote/OVURLManager.h"
#include "opendap/OVOpenDAPFormats.h"
#include "opendap/OVOpenDAPNotifications.h"
#include "opendap/OVOpenDAPThreading.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

#include <cctype>
#include <string_view>

namespace {

const QString kLogPrefix = QStringLiteral("[OVOpenDAPArrayRequest gatherDataPostProcessing] ");

// Escapes what may not stand in a URL as it is (blanks, quotes, brackets, braces, ...), UTF-8.
QString percentEscaped(const QString &text)
{
    static constexpr std::string_view kept = "!$&'()*+,-./:;=?@_~";
    QString escaped;
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x80 && std::isalnum(byte)) || kept.find(c) != std::string_view::npos)
            escaped += QLatin1Char(c);
        else
            escaped += QStringLiteral("%%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return escaped;
}

QString layoutErrorLine(OVOpenDAPFormats::FormatError::Kind kind)
{
    using Kind = OVOpenDAPFormats::FormatError::Kind;
    switch (kind) {
    case Kind::ShortHeader: return QStringLiteral("Buffer not long enough to read data.");
    case Kind::ZeroValueSize: return QStringLiteral("Value size was 0.");
    default: return QStringLiteral("Buffer not long enough to read data field.");
    }
}

} // namespace

// --- Factories ------------------------------------------------------------------------------------

std::shared_ptr<OVOpenDAPArrayRequest> OVOpenDAPArrayRequest::requestUsingSource(const OVOpenDAPSourcePtr &source,
                                                                                 const OVOpenDAPVariablePtr &variable,
                                                                                 const Args &args)
{
    if (!source || !variable)
        return nullptr;
    std::shared_ptr<OVOpenDAPArrayRequest> request(new OVOpenDAPArrayRequest(source, variable, args));
    OVOpenDAPThreading::observeDataLoaded(request);
    return request;
}

std::shared_ptr<OVOpenDAPArrayRequest>
OVOpenDAPArrayRequest::requestDimensionDataUsingSource(const OVOpenDAPSourcePtr &source,
                                                       const OVOpenDAPVariablePtr &variable, const QString &argument)
{
    if (!variable)
        return nullptr;
    Args args;
    if (const auto arguments = variable->importedArgumentDescriptions()) {
        for (const auto &description : *arguments) {
            if (description.name() != argument)
                args.insert(description.name(), QStringLiteral("0"));
            else if (const QString whole = description.allInclusiveDimensionString(); !whole.isNull())
                args.insert(description.name(), whole);
            // An axis without a range stays out; the constraint then cannot be built.
        }
    }
    return requestUsingSource(source, variable, args);
}

std::shared_ptr<OVOpenDAPArrayRequest>
OVOpenDAPArrayRequest::requestVerticalProfileUsingSource(const OVOpenDAPSourcePtr &source,
                                                         const OVOpenDAPVariablePtr &variable, int64_t latitudeIndex,
                                                         int64_t longitudeIndex, int64_t timeIndex)
{
    if (!variable)
        return nullptr;
    const QString levels = variable->allInclusiveDimensionStringForArgument(QStringLiteral("lev"));
    if (levels.isNull())
        return nullptr;
    return requestUsingSource(source, variable,
                              {{QStringLiteral("lat"), QString::number(latitudeIndex)},
                               {QStringLiteral("lon"), QString::number(longitudeIndex)},
                               {QStringLiteral("time"), QString::number(timeIndex)},
                               {QStringLiteral("lev"), levels}});
}

std::shared_ptr<OVOpenDAPArrayRequest>
OVOpenDAPArrayRequest::requestGridUsingSource(const OVOpenDAPSourcePtr &source, const OVOpenDAPVariablePtr &variable,
                                              const QString &time, const QString &level)
{
    if (!variable)
        return nullptr;
    const auto whole = [&variable](const char *name) {
        return variable->allInclusiveDimensionStringForArgument(QString::fromLatin1(name));
    };
    const QString latitudes = whole("lat");
    const QString longitudes = whole("lon");
    if (latitudes.isNull() || longitudes.isNull())
        return nullptr;
    Args args{{QStringLiteral("lat"), latitudes}, {QStringLiteral("lon"), longitudes}};
    if (const QString times = time.isNull() ? whole("time") : time; !times.isNull())
        args.insert(QStringLiteral("time"), times);
    if (const QString levels = level.isNull() ? whole("level") : level; !levels.isNull())
        args.insert(QStringLiteral("lev"), levels);
    return requestUsingSource(source, variable, args);
}

std::shared_ptr<OVOpenDAPArrayRequest>
OVOpenDAPArrayRequest::requestGridUsingSource(const OVOpenDAPSourcePtr &source, const OVOpenDAPVariablePtr &variable,
                                              int64_t timeIndex)
{
    return requestGridUsingSource(source, variable, QString::number(timeIndex));
}

std::shared_ptr<OVOpenDAPArrayRequest>
OVOpenDAPArrayRequest::requestGridUsingSource(const OVOpenDAPSourcePtr &source, const OVOpenDAPVariablePtr &variable,
                                              int64_t timeIndex, int64_t levelIndex)
{
    return requestGridUsingSource(source, variable, QString::number(timeIndex), QString::number(levelIndex));
}

std::shared_ptr<OVOpenDAPArrayRequest>
OVOpenDAPArrayRequest::requestGridUsingSource(const OVOpenDAPSourcePtr &source, const OVOpenDAPVariablePtr &variable,
                                              int64_t minLatitudeIndex, int64_t maxLatitudeIndex,
                                              int64_t minLongitudeIndex, int64_t maxLongitudeIndex, int64_t timeIndex,
                                              std::optional<int64_t> levelIndex)
{
    Args args{{QStringLiteral("lat"), QStringLiteral("%1:%2").arg(minLatitudeIndex).arg(maxLatitudeIndex)},
              {QStringLiteral("lon"), QStringLiteral("%1:%2").arg(minLongitudeIndex).arg(maxLongitudeIndex)},
              {QStringLiteral("time"), QString::number(timeIndex)}};
    if (levelIndex)
        args.insert(QStringLiteral("lev"), QString::number(*levelIndex));
    return requestUsingSource(source, variable, args);
}

// --- The request ----------------------------------------------------------------------------------

OVOpenDAPArrayRequest::OVOpenDAPArrayRequest(OVOpenDAPSourcePtr source, OVOpenDAPVariablePtr variable, Args args)
    : mSource(std::move(source))
    , mVariable(std::move(variable))
    , mArgs(std::move(args))
{
}

OVOpenDAPArrayRequest::~OVOpenDAPArrayRequest()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

void OVOpenDAPArrayRequest::gatherDataWithCompletionBlock(CompletionBlock block)
{
    if (mRequestInProgress.exchange(true))
        return; // one request at a time; the late block is dropped
    mLoadTries = 0;
    {
        std::lock_guard lock(mMutex);
        mCompletionBlock = std::move(block);
    }
    loadData();
}

void OVOpenDAPArrayRequest::reset()
{
    mRequestInProgress = false;
}

QString OVOpenDAPArrayRequest::requestURLString() const
{
    const QString base = mSource ? mSource->baseURLString() : QString();
    const QString name = mVariable ? mVariable->name() : QString();
    const QString constraint = mVariable ? mVariable->argumentsURLStringUsingValues(mArgs) : QString();
    if (base.isNull() || name.isNull() || constraint.isNull()) {
        OVLog(QStringLiteral("[OVOpenDAPArrayRequest requestURLString] Couldn't build URL because base or variable "
                             "requested was nil."));
        return QString();
    }
    return percentEscaped(QStringLiteral("%1.dods?%2%3").arg(base, name, constraint));
}

void OVOpenDAPArrayRequest::loadData()
{
    const QString url = requestURLString();
    if (url.isNull() || mVariable->responseOrder().empty()) {
        // Nothing can answer this request: say so to the caller instead of leaving it waiting.
        OVLog(QStringLiteral("[OVOpenDAPArrayRequest gatherData] Attempting to collect data without a url defined."));
        mRequestInProgress = false;
        gatherDataFinish();
        return;
    }
    ++mLoadTries;
    if (!mSource->urlManager().isManagingURLString(url)) {
        mSource->urlManager().loadURLString(url, QStringLiteral("OpenDAP array request for %1").arg(mVariable->name()),
                                            OVNotifyOpenDAPDataLoaded);
    }
}

void OVOpenDAPArrayRequest::gatherDataPostProcessing(const OVNotification &notification)
{
    const OVURLPtr request = notification.object.value<OVURLPtr>();
    if (!request || !mRequestInProgress || request->urlString() != requestURLString())
        return;
    // A failed request (transport, or HTTP 400 and up) brings no data, whatever its bytes.
    const bool failed = request->errorOccurred();
    const QByteArray data = failed ? QByteArray() : request->getData();
    OVDispatch::global([self = shared_from_this(), data, failed] { self->parseReply(data, failed); });
}

void OVOpenDAPArrayRequest::parseReply(const QByteArray &reply, bool failed)
{
    if (failed || reply.isNull()) {
        OVLog(kLogPrefix + QStringLiteral("Response data was nil."));
        gatherDataFinish();
        return;
    }
    if (reply.isEmpty()) {
        OVLog(kLogPrefix + QStringLiteral("Response data was of 0 length."));
        gatherDataFinish();
        return;
    }
    const std::vector<OVOpenDAPValueDescription> order = mVariable->responseOrder();
    std::vector<int32_t> types;
    for (const auto &description : order)
        types.push_back(description.type());
    const auto bytes = std::span(reinterpret_cast<const unsigned char *>(reply.constData()), size_t(reply.size()));
    OVOpenDAPFormats::DecodedReply decoded = OVOpenDAPFormats::decodeCheckedReply(bytes, types);

    using Kind = OVOpenDAPFormats::FormatError::Kind;
    if (decoded.error && (decoded.error->kind == Kind::CountMismatch || decoded.error->kind == Kind::TypeMismatch)) {
        // The reply is not the data of the variable as the dataset describes it: reading on would
        // hand out values under the wrong name or type. Downloading it again gives the same.
        const size_t entry = decoded.error->entry;
        const QString array = entry == 0 || entry >= order.size() ? mVariable->name() : order[entry].name();
        OVLog(kLogPrefix + (decoded.error->kind == Kind::CountMismatch
                                ? QStringLiteral("Reply for %1: the count of %2 disagrees with its declared shape.")
                                : QStringLiteral("Reply for %1: %2 is declared with another type than the "
                                                 "dataset's structure document gives."))
                               .arg(mVariable->name(), array));
        gatherDataFinish();
        return;
    }
    for (size_t i = 0; i < decoded.emptyEntries.size(); ++i)
        OVLog(kLogPrefix + QStringLiteral("Data length was 0."));

    if (decoded.error && !decoded.error->isLayoutError()) {
        OVLog(kLogPrefix + QStringLiteral("Couldn't find Data in the response."));
        OVLog(kLogPrefix + QStringLiteral("Response:  %1").arg(QString::fromLatin1(reply)));
        gatherDataFinish();
        return;
    }
    if (decoded.error) {
        OVLog(kLogPrefix + layoutErrorLine(decoded.error->kind));
        if (mLoadTries <= 1)
            loadData();
        else
            gatherDataFinish();
        return;
    }
    if (OVDebugLoggingEnabled()) {
        for (const auto &array : decoded.arrays) {
            OVDebugLog(QStringLiteral("------"));
            OVDebugLog(QStringLiteral("Length: %1").arg(array.size()));
            if (array.size() < 100) {
                for (double value : array)
                    OVDebugLog(QString::asprintf("%f", value));
            }
        }
    }
    {
        std::lock_guard lock(mMutex);
        mResponseArrays = std::move(decoded.arrays);
    }
    mReady = true;
    mRequestInProgress = false;
    gatherDataFinish();
}

void OVOpenDAPArrayRequest::gatherDataFinish()
{
    CompletionBlock block;
    {
        std::lock_guard lock(mMutex);
        block.swap(mCompletionBlock);
    }
    if (block)
        block();
}

// --- Results --------------------------------------------------------------------------------------

OVOpenDAPArrayRequest::ResponseArrays OVOpenDAPArrayRequest::responseArrays() const
{
    std::lock_guard lock(mMutex);
    return mResponseArrays;
}

std::vector<double> OVOpenDAPArrayRequest::responseData() const
{
    std::lock_guard lock(mMutex);
    return mResponseArrays.empty() ? std::vector<double>() : mResponseArrays.front();
}

std::vector<double> OVOpenDAPArrayRequest::dimensionDataForArgument(const QString &name) const
{
    const auto arguments = mVariable->argumentDescriptions();
    if (!arguments)
        return {};
    for (size_t i = 0; i < arguments->size(); ++i) {
        if ((*arguments)[i].name() == name) {
            std::lock_guard lock(mMutex);
            return i + 1 < mResponseArrays.size() ? mResponseArrays[i + 1] : std::vector<double>();
        }
    }
    return {};
}
