// Writes a journal entry's text document as RTF that other programs read: paragraphs, runs with
// bold, italic, underline, size and colour, one default font family, and tables with per-cell
// borders and backgrounds. Everything else in the document (images, alignment, lists, other
// families) is left out; NBRTFReader reads back exactly what is written here.
//
// Sizes are pixels: \fsN carries twice the pixel size. Text is ASCII with escapes: every
// UTF-16 unit above 0x7F becomes \uN (signed 16-bit) followed by one fallback byte, its cp1252
// byte or \'3f. Pure; any thread (the document must not change meanwhile).
#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>

class QTextBlock;
class QTextDocument;
class QTextFragment;
class QTextTable;

class NBRTFWriter
{
public:
    static QByteArray write(const QTextDocument &document);

private:
    explicit NBRTFWriter(const QTextDocument &document);

    QByteArray document();
    void writeBlock(const QTextBlock &block, const char *ending);
    void writeTable(const QTextTable &table);
    void writeRun(const QTextFragment &fragment);
    void writeText(const QString &text);
    /// Index in the colour table (1-based; 0 is the reader's default colour).
    int colorIndex(const QColor &color);

    const QTextDocument &mDocument;
    int mDefaultPixelSize;
    QByteArray mBody;
    QList<QColor> mColors;
};
