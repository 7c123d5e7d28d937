// The split view's handle painting.
#include "core/views/NBSplitView.h"

#include "core/views/OVViewUtil.h"

#include <QPainter>
#include <QSplitterHandle>

namespace {

// A handle that fills itself with its split view's divider colour.
class DividerHandle : public QSplitterHandle
{
public:
    DividerHandle(Qt::Orientation orientation, NBSplitView *splitView)
        : QSplitterHandle(orientation, splitView)
        , mSplitView(splitView)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), mSplitView->dividerColor());
    }

private:
    NBSplitView *mSplitView;
};

} // namespace

NBSplitView::NBSplitView(QWidget *parent)
    : NBSplitView(Qt::Horizontal, parent)
{
}

NBSplitView::NBSplitView(Qt::Orientation orientation, QWidget *parent)
    : QSplitter(orientation, parent)
{
    setHandleWidth(int(dividerThickness()));
}

QColor NBSplitView::dividerColor() const
{
    const float white = OVViewUtil::ovIsDarkMode(*this) ? 0.3f : 0.8f;
    return QColor::fromRgbF(white, white, white, 1.0f);
}

QSplitterHandle *NBSplitView::createHandle()
{
    return new DividerHandle(orientation(), this);
}
