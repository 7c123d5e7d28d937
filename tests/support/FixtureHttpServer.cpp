#include "support/FixtureHttpServer.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>

// ---------------------------------------------------------------------------------------------

void FixtureGate::open()
{
    std::vector<std::function<void()>> waiting;
    {
        std::lock_guard lock(mMutex);
        mOpen = true;
        waiting.swap(mWaiting);
    }
    for (auto &send : waiting)
        send();
}

bool FixtureGate::isOpen() const
{
    std::lock_guard lock(mMutex);
    return mOpen;
}

FixtureResponse FixtureResponse::text(const QByteArray &body, const QByteArray &contentType, int status)
{
    FixtureResponse r;
    r.status = status;
    r.body = body;
    r.headers.append({"Content-Type", contentType});
    return r;
}

FixtureResponse FixtureResponse::file(const QString &path, const QByteArray &contentType)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return text("fixture file missing: " + path.toUtf8(), "text/plain", 500);
    return text(f.readAll(), contentType);
}

FixtureResponse FixtureResponse::error(int status)
{
    return text("error " + QByteArray::number(status), "text/plain", status);
}

// ---------------------------------------------------------------------------------------------

struct FixtureHttpServer::Shared
{
    mutable std::mutex mutex;
    QMap<QPair<QByteArray, QString>, Handler> routes;
    QList<FixtureRequest> requests;
    std::atomic<int> open{0};
    std::atomic<int> maxOpen{0};
    quint16 port = 0;
    bool hasV6 = false;
    QString error;
    QByteArray certPem;
    QByteArray keyPem;
};

class FixtureServerWorker : public QObject
{
public:
    FixtureServerWorker(std::shared_ptr<FixtureHttpServer::Shared> shared, bool tls)
        : mShared(std::move(shared))
        , mTls(tls)
    {
    }

    bool listen()
    {
        mV4 = makeServer();
        if (!mV4->listen(QHostAddress::LocalHost, 0)) {
            mShared->error = mV4->errorString();
            return false;
        }
        mShared->port = mV4->serverPort();
        mV6 = makeServer();
        mShared->hasV6 = mV6->listen(QHostAddress::LocalHostIPv6, mShared->port);
        return true;
    }

    void close()
    {
        for (QTcpServer *s : {mV4, mV6})
            if (s)
                s->close();
        for (QTcpSocket *socket : findChildren<QTcpSocket *>())
            socket->abort();
    }

private:
    QTcpServer *makeServer()
    {
        QTcpServer *server = nullptr;
        if (mTls) {
            auto *ssl = new QSslServer(this);
            QSslConfiguration config = QSslConfiguration::defaultConfiguration();
            config.setLocalCertificate(QSslCertificate(mShared->certPem));
            config.setPrivateKey(QSslKey(mShared->keyPem, QSsl::Rsa));
            config.setPeerVerifyMode(QSslSocket::VerifyNone);
            ssl->setSslConfiguration(config);
            server = ssl;
        } else {
            server = new QTcpServer(this);
        }
        connect(server, &QTcpServer::pendingConnectionAvailable, this, [this, server] {
            while (server->hasPendingConnections())
                accept(server->nextPendingConnection());
        });
        return server;
    }

    void accept(QTcpSocket *socket)
    {
        if (!socket)
            return;
        socket->setParent(this);
        const int now = ++mShared->open;
        int seen = mShared->maxOpen.load();
        while (now > seen && !mShared->maxOpen.compare_exchange_weak(seen, now)) {
        }
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            handleBuffered(socket, *buffer);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            --mShared->open;
            socket->deleteLater();
        });
    }

    // Takes one complete request off the front of the buffer, if there is one.
    void handleBuffered(QTcpSocket *socket, QByteArray &buffer)
    {
        for (;;) {
            const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
            if (headerEnd < 0)
                return;
            const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
            FixtureRequest request;
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            request.method = requestLine.value(0);
            const QByteArray target = requestLine.value(1);
            const qsizetype q = target.indexOf('?');
            request.path = QString::fromUtf8(q < 0 ? target : target.left(q));
            request.query = q < 0 ? QString() : QString::fromUtf8(target.mid(q + 1));
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const QByteArray line = lines[i].trimmed();
                const qsizetype colon = line.indexOf(':');
                if (colon > 0)
                    request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
            }
            const qsizetype length = request.headers.value("content-length", "0").toLongLong();
            if (buffer.size() < headerEnd + 4 + length)
                return;
            request.body = buffer.mid(headerEnd + 4, length);
            buffer.remove(0, headerEnd + 4 + length);
            respond(socket, request);
        }
    }

    void respond(QTcpSocket *socket, const FixtureRequest &request)
    {
        FixtureHttpServer::Handler handler;
        {
            std::lock_guard lock(mShared->mutex);
            handler = mShared->routes.value({request.method, request.path});
            if (!handler)
                handler = mShared->routes.value({QByteArray(), request.path});
        }
        const FixtureResponse response = handler ? handler(request) : FixtureResponse::error(404);
        // Counted only once its handler has returned: a test that has seen the request may end,
        // and with it whatever the handler captured by reference.
        {
            std::lock_guard lock(mShared->mutex);
            mShared->requests.append(request);
        }
        const bool closeAfter = request.headers.value("connection").toLower() == "close";
        QPointer<QTcpSocket> target(socket);
        auto send = [this, target, response, closeAfter] {
            if (target)
                write(target, response, closeAfter);
        };
        auto afterDelay = [this, send, delay = response.delayMs] {
            if (delay > 0)
                QTimer::singleShot(delay, this, send);
            else
                send();
        };
        if (response.gate) {
            std::unique_lock lock(response.gate->mMutex);
            if (!response.gate->mOpen) {
                response.gate->mWaiting.push_back([this, afterDelay] {
                    QMetaObject::invokeMethod(this, afterDelay, Qt::QueuedConnection);
                });
                return;
            }
        }
        afterDelay();
    }

    static QByteArray reasonPhrase(int status)
    {
        switch (status) {
        case 200: return "OK";
        case 204: return "No Content";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 304: return "Not Modified";
        case 400: return "Bad Request";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        case 502: return "Bad Gateway";
        case 503: return "Service Unavailable";
        default: return "Status";
        }
    }

    void write(QTcpSocket *socket, const FixtureResponse &response, bool closeAfter)
    {
        QByteArray bytes = "HTTP/1.1 " + QByteArray::number(response.status) + ' '
            + reasonPhrase(response.status) + "\r\n";
        for (const auto &[name, value] : response.headers)
            bytes += name + ": " + value + "\r\n";
        if (response.chunked)
            bytes += "Transfer-Encoding: chunked\r\n";
        else
            bytes += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        bytes += closeAfter ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
        if (response.chunked) {
            for (qsizetype at = 0; at < response.body.size(); at += 1024) {
                const QByteArray chunk = response.body.mid(at, 1024);
                bytes += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
            }
            bytes += "0\r\n\r\n";
        } else {
            bytes += response.body;
        }
        if (response.dropAfterBytes >= 0 && response.dropAfterBytes < bytes.size()) {
            socket->write(bytes.left(response.dropAfterBytes));
            socket->flush();
            socket->waitForBytesWritten(1000);
            socket->abort();
            return;
        }
        socket->write(bytes);
        if (closeAfter)
            socket->disconnectFromHost();
    }

    std::shared_ptr<FixtureHttpServer::Shared> mShared;
    bool mTls;
    QTcpServer *mV4 = nullptr;
    QTcpServer *mV6 = nullptr;
};

// ---------------------------------------------------------------------------------------------

FixtureHttpServer::FixtureHttpServer(Mode mode)
    : mShared(std::make_shared<Shared>())
    , mMode(mode)
{
}

FixtureHttpServer::~FixtureHttpServer()
{
    stop();
}

namespace {

// A self-signed certificate for 127.0.0.1, ::1 and localhost, made by openssl for this run.
bool makeCertificate(QByteArray &certPem, QByteArray &keyPem, QString &error)
{
    QTemporaryDir dir;
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"), key,
                   QStringLiteral("-out"), cert, QStringLiteral("-days"), QStringLiteral("2"),
                   QStringLiteral("-subj"), QStringLiteral("/CN=localhost"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1,IP:::1,DNS:localhost")});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        error = QStringLiteral("openssl failed: ") + QString::fromUtf8(openssl.readAllStandardError());
        return false;
    }
    QFile c(cert);
    QFile k(key);
    if (!c.open(QIODevice::ReadOnly) || !k.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("openssl wrote no certificate");
        return false;
    }
    certPem = c.readAll();
    keyPem = k.readAll();
    return true;
}

} // namespace

bool FixtureHttpServer::start()
{
    if (mThread)
        return true;
    if (mMode == Mode::Tls && !makeCertificate(mShared->certPem, mShared->keyPem, mShared->error))
        return false;
    mThread = new QThread;
    mThread->setObjectName(QStringLiteral("FixtureHttpServer"));
    mWorker = new FixtureServerWorker(mShared, mMode == Mode::Tls);
    mWorker->moveToThread(mThread);
    mThread->start();
    bool ok = false;
    QMetaObject::invokeMethod(mWorker, [this, &ok] { ok = mWorker->listen(); }, Qt::BlockingQueuedConnection);
    if (!ok)
        stop();
    return ok;
}

void FixtureHttpServer::stop()
{
    if (!mThread)
        return;
    QMetaObject::invokeMethod(mWorker, [this] {
        mWorker->close();
        delete mWorker;
    }, Qt::BlockingQueuedConnection);
    mWorker = nullptr;
    mThread->quit();
    mThread->wait();
    delete mThread;
    mThread = nullptr;
}

QString FixtureHttpServer::errorString() const
{
    return mShared->error;
}

quint16 FixtureHttpServer::port() const
{
    return mShared->port;
}

QString FixtureHttpServer::baseUrl() const
{
    const QString scheme = mMode == Mode::Tls ? QStringLiteral("https") : QStringLiteral("http");
    return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port());
}

QString FixtureHttpServer::baseUrlV6() const
{
    if (!mShared->hasV6)
        return QString();
    const QString scheme = mMode == Mode::Tls ? QStringLiteral("https") : QStringLiteral("http");
    return QStringLiteral("%1://[::1]:%2").arg(scheme).arg(port());
}

QByteArray FixtureHttpServer::certificatePem() const
{
    return mShared->certPem;
}

void FixtureHttpServer::route(const QByteArray &method, const QString &path, Handler handler)
{
    std::lock_guard lock(mShared->mutex);
    mShared->routes.insert({method, path}, std::move(handler));
}

void FixtureHttpServer::serve(const QString &path, const FixtureResponse &response)
{
    route(QByteArray(), path, [response](const FixtureRequest &) { return response; });
}

void FixtureHttpServer::serveFile(const QString &path, const QString &filePath, const QByteArray &contentType)
{
    route(QByteArray(), path, [filePath, contentType](const FixtureRequest &) {
        return FixtureResponse::file(filePath, contentType);
    });
}

QList<FixtureRequest> FixtureHttpServer::requests() const
{
    std::lock_guard lock(mShared->mutex);
    return mShared->requests;
}

int FixtureHttpServer::requestCount(const QString &path) const
{
    std::lock_guard lock(mShared->mutex);
    if (path.isEmpty())
        return int(mShared->requests.size());
    return int(std::count_if(mShared->requests.begin(), mShared->requests.end(),
                             [&](const FixtureRequest &r) { return r.path == path; }));
}

void FixtureHttpServer::clearRequests()
{
    std::lock_guard lock(mShared->mutex);
    mShared->requests.clear();
}

int FixtureHttpServer::openConnections() const
{
    return mShared->open.load();
}

int FixtureHttpServer::maxConcurrentConnections() const
{
    return mShared->maxOpen.load();
}
