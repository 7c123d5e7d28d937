#include "app/update/NBUpdateViewController.h"

#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVUserDefaults.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

NBUpdateViewController::NBUpdateViewController(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    mTitleLabel = new QLabel(this);
    mTitleLabel->setObjectName(QStringLiteral("titleLabel"));
    mTitleLabel->setTextFormat(Qt::PlainText);
    mTitleLabel->setWordWrap(true);
    QFont titleFont = mTitleLabel->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    mTitleLabel->setFont(titleFont);
    mWebView = new QTextBrowser(this);
    mWebView->setObjectName(QStringLiteral("webView"));
    mWebView->setReadOnly(true);
    mWebView->setOpenLinks(false);

    auto *buttons = new QHBoxLayout;
    mIgnoreButton = new QPushButton(OVLocalizedString("Ignore"), this);
    mIgnoreButton->setObjectName(QStringLiteral("ignoreButton"));
    mLaterButton = new QPushButton(OVLocalizedString("Later"), this);
    mLaterButton->setObjectName(QStringLiteral("laterButton"));
    mLearnMoreButton = new QPushButton(OVLocalizedString("Learn More"), this);
    mLearnMoreButton->setObjectName(QStringLiteral("learnMoreButton"));
    mLearnMoreButton->setDefault(true);
    buttons->addWidget(mIgnoreButton);
    buttons->addStretch(1);
    buttons->addWidget(mLaterButton);
    buttons->addWidget(mLearnMoreButton);

    layout->addWidget(mTitleLabel);
    layout->addWidget(mWebView, 1);
    layout->addLayout(buttons);

    connect(mIgnoreButton, &QPushButton::clicked, this, &NBUpdateViewController::ignoreAction);
    connect(mLaterButton, &QPushButton::clicked, this, &NBUpdateViewController::laterAction);
    connect(mLearnMoreButton, &QPushButton::clicked, this, &NBUpdateViewController::learnMoreAction);
}

NBUpdateViewController::~NBUpdateViewController()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    if (mBodyRequest)
        mBodyRequest->cancelLoading();
}

void NBUpdateViewController::configure(const NBUpdateNotice &notice)
{
    mTitleLabel->setText(notice.title);
    mIgnorePreferenceKey = notice.ignoreDefaultsKey();
    mLearnMoreURLString = notice.learnMoreURL.toString();

    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.removeObserver(this);
    if (mBodyRequest)
        mBodyRequest->cancelLoading();
    mBodyRequest = OVURL::createWithURLString(notice.bodyURL.toString());
    center.addObserver(this, OVURLFinishedLoading, [this](const OVNotification &notification) {
        const OVURLPtr request = notification.object.value<OVURLPtr>();
        if (request && request == mBodyRequest)
            bodyLoaded(request);
    });
    mBodyRequest->loadURLInBackground();
}

void NBUpdateViewController::bodyLoaded(const OVURLPtr &request)
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    mBodyRequest.reset();
    if (!request->dataReady() || request->errorOccurred()) {
        OVLog(QStringLiteral("[NBUpdateViewController configure:] The notice's page %1 could not be loaded (HTTP %2).")
                  .arg(request->urlString())
                  .arg(request->httpStatus()));
        return;
    }
    mWebView->setHtml(QString::fromUtf8(request->getData()));
}

void NBUpdateViewController::learnMoreAction()
{
    window()->hide();
    QDesktopServices::openUrl(QUrl(mLearnMoreURLString));
}

void NBUpdateViewController::laterAction()
{
    window()->hide();
}

void NBUpdateViewController::ignoreAction()
{
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.setObject(true, mIgnorePreferenceKey);
    defaults.synchronize();
    window()->hide();
}
