// RTF output of the journal's documents; see NBRTFWriter.h for what is kept.
#include "app/journal/NBRTFWriter.h"

#include "app/journal/NBRTFCodePage.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Cell right edges in twips: equal columns of three inches.
constexpr int kColumnTwips = 4320;

int pixelSizeOf(const QFont &font)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    // Points at the 96 dpi the rest of the entry's sizes assume.
    return std::max(1, int(std::lround(font.pointSizeF() * 96.0 / 72.0)));
}

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray hexByte(unsigned char byte)
{
    return QByteArray("\\'") + QByteArray::number(byte, 16).rightJustified(2, '0');
}

} // namespace

QByteArray NBRTFWriter::write(const QTextDocument &document)
{
    return NBRTFWriter(document).document();
}

NBRTFWriter::NBRTFWriter(const QTextDocument &document)
    : mDocument(document)
    , mDefaultPixelSize(pixelSizeOf(document.defaultFont()))
{
}

QByteArray NBRTFWriter::document()
{
    QTextFrame *root = mDocument.rootFrame();
    for (QTextFrame::iterator it = root->begin(); !it.atEnd(); ++it) {
        if (auto *table = qobject_cast<QTextTable *>(it.currentFrame()))
            writeTable(*table);
        else if (it.currentBlock().isValid())
            writeBlock(it.currentBlock(), "\\par\n");
    }

    QByteArray out("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl{\\f0\\fnil ");
    const QByteArray family = mDocument.defaultFont().family().toLatin1();
    for (const char c : family) {
        // A family name cannot carry RTF syntax; such characters are simply dropped.
        if (c != '\\' && c != '{' && c != '}' && c != ';')
            out += c;
    }
    out += ";}}\n{\\colortbl;";
    for (const QColor &color : std::as_const(mColors))
        out +=
            "\\red" + number(color.red()) + "\\green" + number(color.green()) + "\\blue" + number(color.blue()) + ';';
    out += "}\n";
    out += mBody;
    out += "}\n";
    return out;
}

void NBRTFWriter::writeBlock(const QTextBlock &block, const char *ending)
{
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        if (it.fragment().isValid())
            writeRun(it.fragment());
    }
    mBody += ending;
}

void NBRTFWriter::writeTable(const QTextTable &table)
{
    const QTextTableFormat tableFormat = table.format();
    const QBrush borderBrush = tableFormat.borderBrush();
    const int border = colorIndex(borderBrush.style() == Qt::NoBrush ? QColor(Qt::black) : borderBrush.color());
    const QByteArray edge = "\\brdrs\\brdrw20\\brdrcf" + number(border);

    for (int row = 0; row < table.rows(); ++row) {
        QByteArray definition("\\trowd\\trgaph60");
        for (int column = 0; column < table.columns(); ++column) {
            const QBrush background = table.cellAt(row, column).format().background();
            const int fill = colorIndex(background.style() == Qt::NoBrush ? QColor(Qt::white) : background.color());
            definition += "\\clbrdrt" + edge + "\\clbrdrl" + edge + "\\clbrdrb" + edge + "\\clbrdrr" + edge;
            definition += "\\clcbpat" + number(fill) + "\\cellx" + number(kColumnTwips * (column + 1));
        }
        mBody += definition + '\n';
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            // A merged cell is written once, at its first position.
            if (cell.row() != row || cell.column() != column) {
                mBody += "\\pard\\intbl\\cell\n";
                continue;
            }
            QList<QTextBlock> blocks;
            for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
                if (!it.currentFrame() && it.currentBlock().isValid())
                    blocks.append(it.currentBlock());
            }
            if (blocks.isEmpty())
                mBody += "\\pard\\intbl\\cell\n";
            for (qsizetype i = 0; i < blocks.size(); ++i) {
                mBody += "\\pard\\intbl ";
                writeBlock(blocks.at(i), i + 1 == blocks.size() ? "\\cell\n" : "\\par\n");
            }
        }
        mBody += "\\row\n";
    }
    mBody += "\\pard\n";
}

void NBRTFWriter::writeRun(const QTextFragment &fragment)
{
    const QTextCharFormat format = fragment.charFormat();
    int pixelSize = mDefaultPixelSize;
    if (format.hasProperty(QTextFormat::FontPixelSize))
        pixelSize = format.intProperty(QTextFormat::FontPixelSize);
    else if (format.hasProperty(QTextFormat::FontPointSize))
        pixelSize = std::max(1, int(std::lround(format.doubleProperty(QTextFormat::FontPointSize) * 96.0 / 72.0)));

    QByteArray run("{\\fs" + number(2 * pixelSize));
    const QBrush foreground = format.foreground();
    run += "\\cf" + number(format.hasProperty(QTextFormat::ForegroundBrush) && foreground.style() != Qt::NoBrush
                               ? colorIndex(foreground.color())
                               : 0);
    if (format.fontWeight() >= QFont::Bold)
        run += "\\b";
    if (format.fontItalic())
        run += "\\i";
    if (format.fontUnderline())
        run += "\\ul";
    mBody += run + ' ';
    writeText(fragment.text());
    mBody += '}';
}

void NBRTFWriter::writeText(const QString &text)
{
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        switch (unit) {
        case u'\\':
        case u'{':
        case u'}':
            mBody += '\\';
            mBody += char(unit);
            continue;
        case u'\t': mBody += "\\tab "; continue;
        case u'\n':
        case 0x2028: mBody += "\\line "; continue;
        case 0xFFFC:
            // An embedded object (a pasted image): the store keeps text only.
            continue;
        default: break;
        }
        if (unit < 0x20)
            continue;
        if (unit < 0x80) {
            mBody += char(unit);
            continue;
        }
        mBody += "\\u" + number(qint16(unit));
        // A bare "?" would let some readers swallow the next letters as part of the word.
        mBody += hexByte(NBRTFCodePage::byteForUnit(unit).value_or(0x3F));
    }
}

int NBRTFWriter::colorIndex(const QColor &color)
{
    const QColor opaque = QColor(color.red(), color.green(), color.blue());
    const qsizetype found = mColors.indexOf(opaque);
    if (found >= 0)
        return int(found) + 1;
    mColors.append(opaque);
    return int(mColors.size());
}
