// Fuzz target for the journal's RTF reader with a load-save-load oracle: what the reader makes
// of an entry is written as the journal saves it and read again, and the second load must equal
// the first (the same characters with the same formatting). A journal entry that changes on
// every save loses its writer's text a little at a time. A crash, sanitizer report, hang or a
// second load that differs is a finding; an input the reader refuses is no finding.
#include "FuzzSupport.h"
#include "app/journal/NBRTFReader.h"
#include "app/journal/NBRTFWriter.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

void ensureGuiApplication()
{
    static int argc = 1;
    static char name[] = "nimbrel-fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication *application = QCoreApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)application;
}

// Each character with what the journal keeps of it: the character, bold, italic, underline,
// pixel size and colour, and for a table cell its row, column and background. Runs may split
// differently in two loads of the same entry; the characters may not differ.
QStringList characters(const QTextDocument &document)
{
    QStringList described;
    // A run without a size shows at the document's; the journal writes that size out for it.
    const QFont font = document.defaultFont();
    const int defaultPixels =
        font.pixelSize() > 0 ? font.pixelSize() : std::max(1, int(std::lround(font.pointSizeF() * 96.0 / 72.0)));
    QTextCursor cursor(const_cast<QTextDocument *>(&document));
    for (int position = 0; position + 1 < document.characterCount(); ++position) {
        cursor.setPosition(position + 1);
        const QTextCharFormat format = cursor.charFormat();
        QString cell;
        if (const QTextTable *table = cursor.currentTable()) {
            const QTextTableCell tableCell = table->cellAt(cursor);
            // A cell without a background is written white, as the journal's tables are.
            const QBrush background = tableCell.format().background();
            cell = QStringLiteral(" cell %1,%2 %3")
                       .arg(tableCell.row())
                       .arg(tableCell.column())
                       .arg((background.style() == Qt::NoBrush ? QColor(Qt::white) : background.color())
                                .name(QColor::HexArgb));
        }
        described.append(QStringLiteral("U+%1 b%2 i%3 u%4 px%5 %6%7")
                             .arg(document.characterAt(position).unicode(), 4, 16, QLatin1Char('0'))
                             .arg(format.fontWeight() >= QFont::Bold)
                             .arg(format.fontItalic())
                             .arg(format.fontUnderline())
                             .arg(format.hasProperty(QTextFormat::FontPixelSize)
                                      ? format.intProperty(QTextFormat::FontPixelSize)
                                      : defaultPixels)
                             .arg(format.foreground().color().name(QColor::HexArgb), cell));
    }
    return described;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ensureGuiApplication();
    NBRTFReadResult first = NBRTFReader::read(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!std::holds_alternative<std::unique_ptr<QTextDocument>>(first))
        return 0;
    const QTextDocument &loaded = *std::get<std::unique_ptr<QTextDocument>>(first);
    const QByteArray saved = NBRTFWriter::write(loaded);
    NBRTFReadResult second = NBRTFReader::read(saved);
    if (!std::holds_alternative<std::unique_ptr<QTextDocument>>(second)) {
        std::fprintf(stderr, "refused: %s\n", qPrintable(std::get<NBRTFReadError>(second).detail));
        FuzzSupport::require(false, "the reader refuses what the writer saved");
    }
    const QTextDocument &reloaded = *std::get<std::unique_ptr<QTextDocument>>(second);
    if (loaded.toPlainText() != reloaded.toPlainText()) {
        std::fprintf(stderr, "first:  %s\nsaved:  %s\nsecond: %s\n", loaded.toPlainText().toUtf8().toHex(' ').constData(),
                     saved.constData(), reloaded.toPlainText().toUtf8().toHex(' ').constData());
        FuzzSupport::require(false, "the second load has other text");
    }
    const QStringList before = characters(loaded);
    const QStringList after = characters(reloaded);
    if (before != after) {
        for (qsizetype i = 0; i < std::min(before.size(), after.size()); ++i) {
            if (before[i] != after[i]) {
                std::fprintf(stderr, "character %lld: %s / %s\n", qlonglong(i), qPrintable(before[i]), qPrintable(after[i]));
                break;
            }
        }
        std::fprintf(stderr, "saved:\n%s\n", saved.constData());
    }
    FuzzSupport::require(before == after, "the second load has other formatting");
    return 0;
}
