// Receives, while it lives, every address the program hands to the desktop's browser or mail
// program (https, http and mailto), instead of opening it.
#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

class BrowserRecorder : public QObject
{
    Q_OBJECT

public:
    BrowserRecorder()
    {
        for (const char *scheme : kSchemes)
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~BrowserRecorder() override
    {
        for (const char *scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }

private:
    static constexpr const char *kSchemes[] = {"https", "http", "mailto"};
};
