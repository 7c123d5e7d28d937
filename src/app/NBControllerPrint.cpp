// Printing the main window's content view: the whole view on one page, scaled to fit inside
// the printer's margins with its proportions kept.
#include "app/NBController.h"
#include "app/NBMainWindow.h"
#include "platform/OVLog.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

float NBController::printScale(const QSizeF &paper, const QMarginsF &margins, const QSizeF &content)
{
    if (content.width() <= 0.0 || content.height() <= 0.0)
        return 0.0f;
    const float width = float(paper.width()) - (float(margins.left()) + float(margins.right()));
    const float height = float(paper.height()) - (float(margins.top()) + float(margins.bottom()));
    return std::min(width / float(content.width()), height / float(content.height()));
}

void NBController::print()
{
    if (!mWindow)
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, mWindow.get());
    if (dialog.exec() != QDialog::Accepted)
        return;
    printContent(printer);
}

bool NBController::printContent(QPrinter &printer)
{
    QWidget *content = mWindow ? mWindow->baseView() : nullptr;
    if (!content)
        return false;
    const QPageLayout layout = printer.pageLayout();
    const float scale = printScale(layout.fullRect(QPageLayout::Point).size(), layout.margins(QPageLayout::Point),
                                   QSizeF(content->size()));
    QPainter painter;
    if (scale <= 0.0f || !painter.begin(&printer)) {
        OVLog(QStringLiteral("[NBController print:] Nothing was printed: the printer could not be opened or the view is empty."));
        return false;
    }
    // The painter starts at the printable area's corner (the margins) in printer dots; the
    // view's pixels count as points.
    const double dotsPerPoint = printer.resolution() / 72.0;
    painter.scale(scale * dotsPerPoint, scale * dotsPerPoint);
    content->render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.end();
    return true;
}
