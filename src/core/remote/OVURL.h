// One HTTP request of the program, with its received bytes and state flags.
//
// A request is loaded in the background (asynchronously, callbacks on the thread that started
// it: the download manager always uses the main thread) or in the foreground (synchronously,
// on any thread). Its flags go: prepared (ready and error cleared) -> loading -> finished
// (`dataReady`) or failed (`errorOccurred`). HTTP statuses of 400 and above count as failures;
// the body received with them is kept for the log. Every request carries the process-wide
// User-Agent and a 60-second transfer timeout; certificates are always verified.
//
// Notifications (object: the request as std::shared_ptr<OVURL>): "OVURLReceivedData" after each
// received chunk, "OVURLFinishedLoading" after a background load succeeded or failed.
#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QPointer>
#include <QString>

#include <QList>
#include <QPair>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include <QNetworkReply>
class QNetworkRequest;

inline const QString OVURLReceivedData = QStringLiteral("OVURLReceivedData");
inline const QString OVURLFinishedLoading = QStringLiteral("OVURLFinishedLoading");

class OVURL : public std::enable_shared_from_this<OVURL>
{
public:
    /// Cache modes: 0 always from the network, 1 cached data else the network, 2 cached data
    /// only. A mode above 2 sends nothing (the download manager's timeout ends such a load).
    enum CacheMode : int32_t { ReloadIgnoringCache = 0, ReturnCacheElseLoad = 1, ReturnCacheDontLoad = 2 };

    static std::shared_ptr<OVURL> create();
    static std::shared_ptr<OVURL> createWithURLString(const QString &urlString);
    ~OVURL();

    OVURL(const OVURL &) = delete;
    OVURL &operator=(const OVURL &) = delete;

    /// The User-Agent sent with every later request of the process (empty: none).
    static void setUserAgent(const QString &userAgent);
    static QString userAgent();

    /// Starts an asynchronous load whose callbacks arrive on the calling thread's event loop.
    void loadURLInBackground();
    /// Loads synchronously on the calling thread; posts nothing.
    void loadURLInForeground();
    /// With a URL string: clears the flags and the bytes, true. Without one: false.
    bool prepareForURLLoad();
    /// Cancels the connection without any callback, drops the bytes, clears every flag.
    void cancelLoading();
    void appendData(const QByteArray &chunk);
    QByteArray getData() const { return urlData(); }
    QString description() const;

    QString urlString() const;
    void setUrlString(const QString &urlString);
    QByteArray urlData() const;
    void setUrlData(const QByteArray &data);
    QString httpMethod() const;
    void setHttpMethod(const QString &method);
    QByteArray httpBody() const;
    void setHttpBody(const QByteArray &body);
    /// Extra request headers (name, value), for clients whose service needs them.
    void setHeader(const QByteArray &name, const QByteArray &value);

    bool isLoading() const { return mIsLoading; }
    void setIsLoading(bool loading) { mIsLoading = loading; }
    bool dataReady() const { return mDataReady; }
    void setDataReady(bool ready) { mDataReady = ready; }
    bool errorOccurred() const { return mErrorOccurred; }
    void setErrorOccurred(bool error) { mErrorOccurred = error; }
    int32_t cacheMode() const { return mCacheMode; }
    void setCacheMode(int32_t mode) { mCacheMode = mode; }
    int64_t bytesLoaded() const { return mBytesLoaded; }
    int64_t bytesTotal() const { return mBytesTotal; }
    /// HTTP status of the last reply (0 before one arrived).
    int httpStatus() const { return mHttpStatus; }

    /// The running connection. Setting a new one first cancels the previous one.
    QNetworkReply *urlConnection() const { return mConnection; }
    void setURLConnection(QNetworkReply *connection);

private:
    OVURL() = default;
    bool buildRequest(QNetworkRequest &request, const char *operation);
    void connectionReceivedResponse(QNetworkReply *reply);
    void connectionReceivedData(QNetworkReply *reply);
    void connectionFinished(QNetworkReply *reply);
    void postNotification(const QString &name);

    mutable std::mutex mMutex; // guards the strings and byte buffers
    QString mUrlString;
    QByteArray mUrlData;
    QString mHttpMethod;
    QByteArray mHttpBody;
    QList<QPair<QByteArray, QByteArray>> mHeaders;

    std::atomic<bool> mIsLoading{false};
    std::atomic<bool> mDataReady{false};
    std::atomic<bool> mErrorOccurred{false};
    std::atomic<int32_t> mCacheMode{0};
    std::atomic<int64_t> mBytesLoaded{0};
    std::atomic<int64_t> mBytesTotal{0};
    std::atomic<int> mHttpStatus{0};
    QPointer<QNetworkReply> mConnection;
};

using OVURLPtr = std::shared_ptr<OVURL>;
Q_DECLARE_METATYPE(OVURLPtr)
