// The journal's RTF: what the writer puts out byte for byte where other readers depend on it,
// the reader's tolerance of other programs' files, its refusals, and that a document survives a
// write and a read with its runs, sizes, colours and tables.
#include "app/journal/NBRTFReader.h"
#include "app/journal/NBRTFWriter.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <chrono>

namespace {

std::unique_ptr<QTextDocument> readOrFail(const QByteArray &rtf)
{
    NBRTFReadResult result = NBRTFReader::read(rtf);
    if (auto *error = std::get_if<NBRTFReadError>(&result)) {
        ADD_FAILURE() << "read failed: " << error->detail.toStdString();
        return std::make_unique<QTextDocument>();
    }
    return std::move(std::get<std::unique_ptr<QTextDocument>>(result));
}

QTextCharFormat format(bool bold, bool italic, bool underline, int pixelSize, QColor color = QColor())
{
    QTextCharFormat f;
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setFontUnderline(underline);
    f.setProperty(QTextFormat::FontPixelSize, pixelSize);
    if (color.isValid())
        f.setForeground(color);
    return f;
}

// A document with every kind of content the journal keeps.
std::unique_ptr<QTextDocument> richDocument()
{
    auto document = std::make_unique<QTextDocument>();
    QTextCursor cursor(document.get());
    cursor.insertText(QStringLiteral("plain "), format(false, false, false, 13));
    cursor.insertText(QStringLiteral("bold"), format(true, false, false, 20, QColor(200, 10, 30)));
    cursor.insertText(QStringLiteral(" italic"), format(false, true, false, 13));
    cursor.insertText(QStringLiteral(" under"), format(false, false, true, 9, QColor(0, 0, 255)));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("{}\\ Ω caf\u00e9 ") + QString::fromUtf8("\xF0\x9F\x8C\xA7"),
                      format(false, false, false, 13));
    QTextTableFormat tableFormat;
    tableFormat.setBorderBrush(QColor(204, 204, 204));
    QTextTable *table = cursor.insertTable(2, 2, tableFormat);
    table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("Label:"), format(true, false, false, 13));
    QTextCursor cell = table->cellAt(0, 1).firstCursorPosition();
    cell.insertText(QStringLiteral("first"), format(false, false, false, 13));
    cell.insertBlock();
    cell.insertText(QStringLiteral("second"), format(false, true, false, 13));
    table->cellAt(1, 0).firstCursorPosition().insertText(QStringLiteral("Notes:"), format(false, false, false, 13));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("after"), format(false, false, false, 13));
    return document;
}

struct RunView
{
    QString text;
    bool bold;
    bool italic;
    bool underline;
    int pixelSize;
    QColor color;
};

QList<RunView> runsOf(const QTextBlock &block)
{
    QList<RunView> runs;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat f = it.fragment().charFormat();
        runs.append({it.fragment().text(), f.fontWeight() >= QFont::Bold, f.fontItalic(), f.fontUnderline(),
                     f.intProperty(QTextFormat::FontPixelSize),
                     f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color() : QColor()});
    }
    return runs;
}

QTextTable *firstTable(const QTextDocument &document)
{
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto *table = qobject_cast<QTextTable *>(it.currentFrame()))
            return table;
    }
    return nullptr;
}

} // namespace

TEST(JournalRTF, WriterHeaderAndEscapes)
{
    struct Case
    {
        const char *name;
        QString text;
        QByteArray expected;
    };
    const Case cases[] = {
        {"braces and backslash", QStringLiteral("{}\\"), "\\{\\}\\\\"},
        {"Latin-1 letter", QStringLiteral("\u00e9"), "\\u233\\'e9"},
        {"cp1252 typographic", QStringLiteral("\u2014\u20ac"), "\\u8212\\'97\\u8364\\'80"},
        {"outside cp1252", QStringLiteral("\u03a9"), "\\u937\\'3f"},
        {"astral as two signed units", QString::fromUtf8("\xF0\x9F\x8C\xA7"), "\\u-10180\\'3f\\u-8409\\'3f"},
        {"tab", QStringLiteral("a\tb"), "a\\tab b"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        document.setPlainText(c.text);
        const QByteArray rtf = NBRTFWriter::write(document);
        EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1")) << rtf.toStdString();
        EXPECT_TRUE(rtf.contains(c.expected)) << rtf.toStdString();
        for (const char byte : rtf)
            ASSERT_LT(uchar(byte), 0x80) << "the RTF must be plain ASCII";
        // Never a bare "?" fallback.
        EXPECT_FALSE(rtf.contains('?'));
    }
}

TEST(JournalRTF, RoundTripKeepsRunsSizesColoursAndTables)
{
    const std::unique_ptr<QTextDocument> original = richDocument();
    const QByteArray rtf = NBRTFWriter::write(*original);
    const std::unique_ptr<QTextDocument> read = readOrFail(rtf);

    const QList<RunView> first = runsOf(read->firstBlock());
    ASSERT_EQ(first.size(), 4);
    EXPECT_EQ(first[0].text, QStringLiteral("plain "));
    EXPECT_FALSE(first[0].bold);
    EXPECT_EQ(first[1].text, QStringLiteral("bold"));
    EXPECT_TRUE(first[1].bold);
    EXPECT_EQ(first[1].pixelSize, 20);
    EXPECT_EQ(first[1].color, QColor(200, 10, 30));
    EXPECT_TRUE(first[2].italic);
    EXPECT_FALSE(first[2].bold);
    EXPECT_TRUE(first[3].underline);
    EXPECT_EQ(first[3].pixelSize, 9);
    EXPECT_EQ(first[3].color, QColor(0, 0, 255));

    EXPECT_EQ(read->firstBlock().next().text(),
              QStringLiteral("{}\\ Ω caf\u00e9 ") + QString::fromUtf8("\xF0\x9F\x8C\xA7"));

    QTextTable *table = firstTable(*read);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->format().borderBrush().color(), QColor(204, 204, 204));
    EXPECT_EQ(table->cellAt(0, 0).firstCursorPosition().block().text(), QStringLiteral("Label:"));
    const QTextTableCell twoParagraphs = table->cellAt(0, 1);
    EXPECT_EQ(twoParagraphs.firstCursorPosition().block().text(), QStringLiteral("first"));
    EXPECT_EQ(twoParagraphs.firstCursorPosition().block().next().text(), QStringLiteral("second"));
    EXPECT_EQ(twoParagraphs.lastCursorPosition().block().text(), QStringLiteral("second"));
    EXPECT_TRUE(runsOf(twoParagraphs.lastCursorPosition().block()).value(0).italic);
    EXPECT_EQ(table->cellAt(1, 1).format().background().color(), QColor(Qt::white));
    EXPECT_EQ(read->lastBlock().text(), QStringLiteral("after"));

    // What was read writes the same bytes again: nothing drifts from save to save.
    EXPECT_EQ(NBRTFWriter::write(*read), rtf);
    EXPECT_EQ(read->toPlainText(), original->toPlainText());
}

TEST(JournalRTF, EmptyDocumentStaysEmpty)
{
    QTextDocument empty;
    const std::unique_ptr<QTextDocument> read = readOrFail(NBRTFWriter::write(empty));
    EXPECT_TRUE(read->toPlainText().isEmpty());
    EXPECT_EQ(read->blockCount(), 1);
}

TEST(JournalRTF, ReaderToleratesOtherWriters)
{
    struct Case
    {
        const char *name;
        QByteArray rtf;
        QString text;
    };
    const Case cases[] = {
        {"ignorable destination and info", "{\\rtf1{\\*\\generator Other 1.0;}{\\info{\\title Secret}}Hello\\par}",
         "Hello"},
        {"groups known to hold no text",
         "{\\rtf1{\\*\\expandedcolortbl;;}{\\*\\ftnsep\\chftnsep}{\\*\\bkmkstart mark}Hi{\\*\\bkmkend mark}\\par}", "Hi"},
        {"unknown groups inside a skipped one", "{\\rtf1{\\fonttbl{\\f0{\\*\\panose 00}{\\*\\zzz x}Times;}}Hi\\par}", "Hi"},
        {"font and style tables", "{\\rtf1{\\fonttbl{\\f0\\froman Times;}}{\\stylesheet{\\s0 Normal;}}\\f0 Hi\\par}",
         "Hi"},
        {"unknown words", "{\\rtf1\\unknownword12 \\noproof a\\zzz b\\par}", "ab"},
        {"uc0 has no fallback", "{\\rtf1\\uc0\\u233 x\\par}", "\u00e9x"},
        {"uc2 skips two fallbacks", "{\\rtf1\\uc2\\u937\\'3f\\'3fy\\par}", "\u03a9y"},
        {"uc scoped to its group", "{\\rtf1{\\uc2\\u937 ??}\\u233 ?z\\par}", "\u03a9\u00e9z"},
        {"hex as cp1252", "{\\rtf1 caf\\'e9 \\'80\\par}", "caf\u00e9 \u20ac"},
        {"surrogate pair", "{\\rtf1\\u-10180?\\u-8409?\\par}", QString::fromUtf8("\xF0\x9F\x8C\xA7")},
        {"escaped braces", "{\\rtf1 \\{\\}\\\\\\par}", "{}\\"},
        {"paragraphs", "{\\rtf1 one\\par two\\par}", "one\ntwo"},
        {"unterminated", "{\\rtf1 cut short", "cut short"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readOrFail(c.rtf)->toPlainText(), c.text);
    }
}

TEST(JournalRTF, ReaderTableWithSeveralParagraphsPerCell)
{
    const QByteArray rtf = "{\\rtf1 before\\par"
                           "\\trowd\\cellx2000\\cellx4000\\pard\\intbl a1\\par a2\\cell\\pard\\intbl b\\cell\\row"
                           "\\trowd\\cellx2000\\cellx4000\\pard\\intbl c\\cell\\pard\\intbl d\\cell\\row"
                           "\\pard after\\par}";
    const std::unique_ptr<QTextDocument> document = readOrFail(rtf);
    QTextTable *table = firstTable(*document);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    const QTextTableCell cell = table->cellAt(0, 0);
    EXPECT_EQ(cell.firstCursorPosition().block().text(), QStringLiteral("a1"));
    EXPECT_EQ(cell.lastCursorPosition().block().text(), QStringLiteral("a2"));
    EXPECT_EQ(table->cellAt(1, 1).firstCursorPosition().block().text(), QStringLiteral("d"));
    EXPECT_EQ(document->firstBlock().text(), QStringLiteral("before"));
    EXPECT_EQ(document->lastBlock().text(), QStringLiteral("after"));
}

TEST(JournalRTF, ReaderRefusesWhatItCannotKeep)
{
    struct Case
    {
        const char *name;
        QByteArray input;
        NBRTFReadError::Kind kind;
    };
    const Case cases[] = {
        {"plain text", "Clear skies all day", NBRTFReadError::Kind::NotRTF},
        {"empty", "", NBRTFReadError::Kind::NotRTF},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n", 8), NBRTFReadError::Kind::NotRTF},
        {"picture", "{\\rtf1 text{\\pict\\pngblip 89504e47}\\par}", NBRTFReadError::Kind::Unsupported},
        {"picture behind an ignorable group", "{\\rtf1{\\*\\shppict{\\pict\\pngblip 00}}\\par}",
         NBRTFReadError::Kind::Unsupported},
        {"embedded object", "{\\rtf1{\\object\\objemb{\\*\\objdata 00}}\\par}", NBRTFReadError::Kind::Unsupported},
        {"attachment", "{\\rtf1{{\\NeXTGraphic image.tiff \\width640 \\height480}\\'ac}\\par}",
         NBRTFReadError::Kind::Unsupported},
        {"footnote", "{\\rtf1 Snow{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} 8 inches by noon}\\par}",
         NBRTFReadError::Kind::Unsupported},
        {"ignorable footnote", "{\\rtf1 Snow{\\*\\footnote 8 inches}\\par}", NBRTFReadError::Kind::Unsupported},
        {"header", "{\\rtf1{\\header\\pard Weather log\\par}Text\\par}", NBRTFReadError::Kind::Unsupported},
        {"first page footer", "{\\rtf1{\\footerf\\pard Page 1\\par}Text\\par}", NBRTFReadError::Kind::Unsupported},
        {"annotation", "{\\rtf1 Text{\\*\\atnid JD}{\\*\\annotation check this}\\par}", NBRTFReadError::Kind::Unsupported},
        {"link target", "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"http://example.org\"}{\\fldrslt radar}}\\par}",
         NBRTFReadError::Kind::Unsupported},
        {"unknown ignorable group", "{\\rtf1 Text{\\*\\zzznote kept words}\\par}", NBRTFReadError::Kind::Unsupported},
        {"table wider than 64 columns",
         "{\\rtf1\\trowd\\pard\\intbl " + QByteArray("x\\cell ").repeated(65) + "\\row\\pard\\par}",
         NBRTFReadError::Kind::Unsupported},
        {"table longer than 1,000 rows",
         "{\\rtf1" + QByteArray("\\trowd\\pard\\intbl x\\cell\\row").repeated(1001) + "\\pard\\par}",
         NBRTFReadError::Kind::Unsupported},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const NBRTFReadResult result = NBRTFReader::read(c.input);
        ASSERT_TRUE(std::holds_alternative<NBRTFReadError>(result));
        EXPECT_EQ(std::get<NBRTFReadError>(result).kind, c.kind);
    }
}

// A table is built at the size its file gives: row marks without cells add nothing, and a table
// beyond the shown size is refused before anything is built. Ten times the file costs about ten
// times the time (a table padded to rows by columns would cost a hundred), compared in one run.
TEST(JournalRTF, TablesAreBuiltAtTheirSizeOrRefused)
{
    // One row of n cells followed by n - 1 row marks without cells (the 7.2 KB entry at n = 800).
    const auto ragged = [](int n) {
        return "{\\rtf1\\trowd\\pard\\intbl" + QByteArray("\\cell").repeated(n) + QByteArray("\\row").repeated(n) +
               "\\pard after\\par}";
    };
    for (const int n : {40, 800}) {
        SCOPED_TRACE(n);
        const NBRTFReadResult result = NBRTFReader::read(ragged(n));
        if (const auto *error = std::get_if<NBRTFReadError>(&result)) {
            EXPECT_EQ(error->kind, NBRTFReadError::Kind::Unsupported);
            EXPECT_GT(n, NBRTFReader::kMaxTableColumns) << error->detail.toStdString();
            continue;
        }
        const QTextTable *table = firstTable(*std::get<std::unique_ptr<QTextDocument>>(result));
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->rows(), 1);
        EXPECT_EQ(table->columns(), n);
    }
    // Rows of different lengths are filled out to the widest, no further.
    const std::unique_ptr<QTextDocument> uneven = readOrFail(
        "{\\rtf1\\trowd\\pard\\intbl a\\cell b\\cell c\\cell\\row\\trowd\\pard\\intbl d\\cell\\row\\pard\\par}");
    const QTextTable *table = firstTable(*uneven);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 3);
    EXPECT_EQ(table->cellAt(1, 0).firstCursorPosition().block().text(), QStringLiteral("d"));

    const auto bestOf = [](const QByteArray &rtf, int repeats) {
        using Clock = std::chrono::steady_clock;
        Clock::duration best = Clock::duration::max();
        for (int trial = 0; trial < 5; ++trial) {
            const Clock::time_point start = Clock::now();
            for (int k = 0; k < repeats; ++k)
                NBRTFReader::read(rtf);
            best = std::min(best, Clock::now() - start);
        }
        return std::chrono::duration<double>(best).count();
    };
    // The same bytes either way: one file of 800 against ten of 80.
    const double ratio = bestOf(ragged(800), 1) / bestOf(ragged(80), 10);
    EXPECT_LT(ratio, 4.0) << "reading grows faster than the file";
}

TEST(JournalRTF, AnotherReaderSeesTheTextAndTable)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("TXT.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(NBRTFWriter::write(*richDocument()));
    file.close();

    QProcess unrtf;
    unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), path});
    ASSERT_TRUE(unrtf.waitForFinished(30000));
    QTextDocument html;
    html.setHtml(QString::fromUtf8(unrtf.readAllStandardOutput()));
    const QString text = html.toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("plain bold italic under"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("{}\\ Ω caf\u00e9 ") + QString::fromUtf8("\xF0\x9F\x8C\xA7")))
        << text.toStdString();
    QTextTable *table = firstTable(html);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_TRUE(table->cellAt(0, 0).firstCursorPosition().block().text().contains(QStringLiteral("Label:")));
}

TEST(JournalRTF, TruncatedEntriesReadSafely)
{
    // A file cut short at any byte (a full disk, a crash while copying) reads without a crash,
    // as a document or as a refusal, never as anything in between.
    const QByteArray rtf = NBRTFWriter::write(*richDocument());
    for (qsizetype length = 0; length <= rtf.size(); ++length) {
        const NBRTFReadResult result = NBRTFReader::read(rtf.left(length));
        if (length >= 5)
            EXPECT_TRUE(std::holds_alternative<std::unique_ptr<QTextDocument>>(result)) << "length " << length;
    }
}

TEST(JournalRTF, ControlCharactersAreNoTextAndASaveKeepsWhatWasRead)
{
    // Raw, escaped and Unicode control characters: the entry reads as the text around them, so
    // writing it and reading it again gives the same entry.
    const struct
    {
        const char *name;
        QByteArray rtf;
        QString text;
    } cases[] = {
        {"NulBytes", QByteArray("{\\rtf1 Morning\\", 15) + QByteArray(4, '\0') + QByteArray(" cold}"),
         QStringLiteral("Morning cold")},
        {"EscapedBytes", "{\\rtf1 a\\'00b\\'01c\\'1fd}", QStringLiteral("abcd")},
        {"UnicodeUnits", "{\\rtf1 a\\u0?b\\u7?c\\u65532?d}", QStringLiteral("abcd")},
        // A line break reads back as one; plain text shows it as a line feed.
        {"LineFeedUnit", "{\\rtf1 a\\u10?b\\tab c}", QStringLiteral("a\nb\tc")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto first = readOrFail(c.rtf);
        EXPECT_EQ(first->toPlainText(), c.text);
        const QByteArray saved = NBRTFWriter::write(*first);
        const auto second = readOrFail(saved);
        EXPECT_EQ(second->toPlainText(), first->toPlainText());
        EXPECT_EQ(NBRTFWriter::write(*second), saved);
    }
}
