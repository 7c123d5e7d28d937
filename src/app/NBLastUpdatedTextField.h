// The text at the bottom of the main window that says when the weather was last updated (the
// application controller sets it). A click on the centred text sends `textClicked`, on which the
// controller starts an update; a click beside the text does nothing. Clicks are not passed on. Main thread only.
#pragma once

#include <QLabel>

class NBLastUpdatedTextField : public QLabel
{
    Q_OBJECT

public:
    explicit NBLastUpdatedTextField(QWidget *parent = nullptr);

    /// Whether a point (widget coordinates) lies on the text, which is taken to be centred;
    /// only the horizontal position counts.
    bool isOnText(const QPointF &point) const;

    /// Shows the text in the warning colour while the last request of some service failed
    /// (the tooltip says which), in the normal colour again once none has.
    void setUpdateFailed(bool failed);
    bool updateFailed() const { return mUpdateFailed; }
    static QColor warningColor() { return QColor(214, 40, 40); }

signals:
    void textClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool mUpdateFailed = false;
    QColor mNormalColor;
};
