// The update notice's content: the title, the body page and the buttons Ignore, Later and
// Learn More. The body is fetched with a GET of the notice's body address and shown read-only.
// Every button hides the window the view sits in. Main thread only.
#pragma once

#include "app/update/NBUpdateNotice.h"
#include "core/remote/OVURL.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTextBrowser;

class NBUpdateViewController : public QWidget
{
    Q_OBJECT

public:
    explicit NBUpdateViewController(QWidget *parent = nullptr);
    ~NBUpdateViewController() override;

    /// Shows the title as plain text, keeps the addresses and the ignore key, loads the body.
    void configure(const NBUpdateNotice &notice);

    /// Hides the window, then opens the Learn More address in the default browser.
    void learnMoreAction();
    /// Hides the window; the notice comes again at the next launch if the server still asks.
    void laterAction();
    /// Remembers that this notice is not wanted, then hides the window.
    void ignoreAction();

    QLabel *titleLabel() const { return mTitleLabel; }
    QTextBrowser *webView() const { return mWebView; }
    QPushButton *ignoreButton() const { return mIgnoreButton; }
    QPushButton *laterButton() const { return mLaterButton; }
    QPushButton *learnMoreButton() const { return mLearnMoreButton; }
    QString learnMoreURLString() const { return mLearnMoreURLString; }
    /// The user default that "Ignore" sets (the notice's key under the program's own prefix).
    QString ignorePreferenceKey() const { return mIgnorePreferenceKey; }

private:
    void bodyLoaded(const OVURLPtr &request);

    QLabel *mTitleLabel = nullptr;
    QTextBrowser *mWebView = nullptr;
    QPushButton *mIgnoreButton = nullptr;
    QPushButton *mLaterButton = nullptr;
    QPushButton *mLearnMoreButton = nullptr;
    QString mLearnMoreURLString;
    QString mIgnorePreferenceKey;
    OVURLPtr mBodyRequest;
};
