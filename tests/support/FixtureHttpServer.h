// A real HTTP/1.1 server on the loopback interface for tests of the network clients.
//
// It listens on 127.0.0.1 and [::1] on one free port, optionally over TLS with a self-signed
// certificate made for the test (openssl), and runs on a thread of its own so code under test
// may block while it answers. Routes map a method and path to a handler; every request is
// recorded (method, path, query, headers, body). A response can be delayed, held until the
// test opens its gate, sent chunked, cut off after a number of bytes, or carry any status.
// Unrouted paths answer 404.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

class QThread;
class FixtureServerWorker;

struct FixtureRequest
{
    QByteArray method;
    QString path;                       // without the query
    QString query;                      // the text after '?', undecoded
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

/// Holds a response back until `open` is called (from the test thread).
class FixtureGate
{
public:
    void open();
    bool isOpen() const;

private:
    friend class FixtureServerWorker;
    mutable std::mutex mMutex;
    bool mOpen = false;
    std::vector<std::function<void()>> mWaiting;
};

struct FixtureResponse
{
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int delayMs = 0;                    // wait this long before sending anything
    qint64 dropAfterBytes = -1;         // close the connection after this many bytes of the reply
    bool chunked = false;               // Transfer-Encoding: chunked, in chunks of 1 KiB
    std::shared_ptr<FixtureGate> gate;  // send only once the gate is open

    static FixtureResponse text(const QByteArray &body, const QByteArray &contentType = "text/plain",
                                int status = 200);
    /// The contents of a file; 500 with a message when it cannot be read.
    static FixtureResponse file(const QString &path, const QByteArray &contentType);
    static FixtureResponse error(int status);
};

class FixtureHttpServer
{
public:
    enum class Mode { Plain, Tls };
    using Handler = std::function<FixtureResponse(const FixtureRequest &)>;

    explicit FixtureHttpServer(Mode mode = Mode::Plain);
    ~FixtureHttpServer();

    /// Starts listening; false (and the reason in `errorString`) when it cannot.
    bool start();
    void stop();
    QString errorString() const;

    quint16 port() const;
    /// "http://127.0.0.1:<port>" (https in TLS mode).
    QString baseUrl() const;
    /// "http://[::1]:<port>"; empty when IPv6 loopback is not available.
    QString baseUrlV6() const;
    /// The certificate (PEM) a client must trust in TLS mode.
    QByteArray certificatePem() const;

    /// Handler for a method ("" for any) and an exact path. Later routes replace earlier ones.
    void route(const QByteArray &method, const QString &path, Handler handler);
    void serve(const QString &path, const FixtureResponse &response);
    void serveFile(const QString &path, const QString &filePath, const QByteArray &contentType);

    QList<FixtureRequest> requests() const;
    int requestCount(const QString &path = QString()) const;
    void clearRequests();

    int openConnections() const;
    int maxConcurrentConnections() const;

private:
    friend class FixtureServerWorker;

    struct Shared;
    std::shared_ptr<Shared> mShared;
    Mode mMode;
    QThread *mThread = nullptr;
    FixtureServerWorker *mWorker = nullptr;
};
