// Printing the main window's content view to a PDF printer: one A4 page, the view inside the
// margins at the fitting scale, read back with poppler's tools.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/NBBaseView.h"
#include "map/views/NBMapView.h"
#include "support/TestHelpers.h"

#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QTest>

#include <cmath>

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool isHeaderBlue(QRgb pixel)
{
    return nearColour(pixel, QColor(0, 181, 242), 3);
}

} // namespace

TEST(PrintScale, TheSmallerOfTheTwoFitsInsideTheMargins)
{
    const QMarginsF margins(10, 20, 30, 40);
    EXPECT_FLOAT_EQ(NBController::printScale({600, 800}, margins, {280, 370}), 2.0f);  // width limits
    EXPECT_FLOAT_EQ(NBController::printScale({600, 800}, margins, {56, 740}), 1.0f);   // height limits
    EXPECT_EQ(NBController::printScale({600, 800}, margins, {0, 100}), 0.0f);
}

TEST_F(AppControllerTest, PrintingPutsTheContentViewOnOneA4PageInsideTheMargins)
{
    saveLocations({denverDictionary()});
    launch();
    controller->window()->resize(1100, 800);
    env.scheduler->advance(5.0); // the content view lays out its panels after launch
    auto *content = qobject_cast<NBBaseView *>(controller->window()->baseView());
    ASSERT_TRUE(content);
    ASSERT_TRUE(waitUntil([&] { return content->hasPanels() && content->width() > 0; }, 10000));

    // The map's frame as it is when the page is made: every frame asked for is drawn first.
    NBMapView *map = content->findChild<NBMapView *>();
    ASSERT_TRUE(map && map->isVisible());
    ASSERT_TRUE(waitUntil([&] { return map->paintCount() > 0 && !map->isDrawing(); }, 10000));
    const QImage frame = map->lastFrame();
    ASSERT_FALSE(frame.isNull());

    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("print.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                      QPageLayout::Millimeter));
    ASSERT_TRUE(controller->printContent(printer));

    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();

    // The page is kept beside the test's other pictures for a person to look at.
    const QString pagePath = testOutputPath("printed_page.png");
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), pdf, pagePath.chopped(4)});
    const QImage page(pagePath);
    ASSERT_FALSE(page.isNull());
    const double margin = 10.0 / 25.4 * 72.0;
    const float scale = NBController::printScale(QSizeF(595.28, 841.89), QMarginsF(margin, margin, margin, margin),
                                                 QSizeF(content->size()));
    const QRect header = pixelBox(page, page.rect(), isHeaderBlue);
    const int top = header.top(), bottom = header.bottom(), left = header.left(), right = header.right();
    ASSERT_GE(bottom, 0) << "no header blue on the page";
    EXPECT_GE(top, int(std::floor(margin)));
    EXPECT_GE(left, int(std::floor(margin)));
    EXPECT_LE(right, page.width() - int(std::floor(margin)));
    EXPECT_LE(bottom, page.height() - int(std::floor(margin)));
    EXPECT_NEAR(bottom - top + 1, 32.0 * scale, 1.0);
    EXPECT_NEAR(top, margin, 1.5);

    // The map is on the page as it was last drawn on the screen.
    const QRectF onPage(QPointF(margin, margin) + QPointF(map->mapTo(content, QPoint(0, 0))) * scale, QSizeF(map->size()) * scale);
    for (const QPointF at : {QPointF(0.3, 0.3), QPointF(0.5, 0.5), QPointF(0.7, 0.6)}) {
        const QColor expected = frame.pixelColor(int(frame.width() * at.x()), int(frame.height() * at.y()));
        const QColor printed = page.pixelColor(int(onPage.x() + onPage.width() * at.x()), int(onPage.y() + onPage.height() * at.y()));
        EXPECT_NEAR(printed.red(), expected.red(), 12);
        EXPECT_NEAR(printed.green(), expected.green(), 12);
        EXPECT_NEAR(printed.blue(), expected.blue(), 12);
    }
}
