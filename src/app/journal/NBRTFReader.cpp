// RTF input for the journal. The parser collects a small model (paragraphs and tables of runs)
// while it walks the groups, then builds the document from it in one pass, so a file that turns
// out to hold a picture halfway through never yields a half-built document.
#include "app/journal/NBRTFReader.h"

#include "app/journal/NBRTFCodePage.h"

#include <QColor>
#include <QList>
#include <QSet>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

struct CharState
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = -1;
    int color = 0;

    friend bool operator==(const CharState &, const CharState &) = default;
};

enum class Destination { Text, Skip, ColorTable };

struct GroupState
{
    CharState chars;
    int unicodeSkip = 1;
    Destination destination = Destination::Text;
};

struct Run
{
    QString text;
    CharState chars;
};

using Paragraph = QList<Run>;

struct CellDefinition
{
    int background = -1;
    int border = -1;
};

struct Row
{
    QList<QList<Paragraph>> cells;
    QList<CellDefinition> definitions;
};

struct Item
{
    Paragraph paragraph;
    QList<Row> rows; // a table when not empty
};

// Destinations that hold no text of the entry, only what the writing program keeps about the
// document (fonts, styles, lists, metadata, page styles, separators, bookmarks' names).
const QSet<QByteArray> &skippedDestinations()
{
    static const QSet<QByteArray> words = {
        "fonttbl",      "stylesheet",     "info",      "listtable", "listoverridetable", "revtbl",
        "rsidtbl",      "filetbl",        "pntext",    "pntxta",    "pntxtb",            "xmlnstbl",
        "themedata",    "colorschememapping", "latentstyles", "datastore", "generator",  "pgdsctbl",
        "listtext",     "expandedcolortbl", "userprops", "pgdscno",  "ftnsep",            "ftnsepc",
        "aftnsep",      "aftnsepc",       "panose",    "falt",      "defchp",            "defpap",
        "mmathPr",      "wgrffmtfilter",  "pnseclvl",  "bkmkstart", "bkmkend"};
    return words;
}

// Destinations whose text is the writer's own but that the editor has no place for: reading the
// rest and saving it would drop them.
const QSet<QByteArray> &textDestinations()
{
    static const QSet<QByteArray> words = {"header",  "headerl", "headerr",  "headerf",    "footer",
                                           "footerl", "footerr", "footerf",  "footnote",   "fldinst",
                                           "annotation", "atnid", "atnauthor", "atrfstart", "atrfend"};
    return words;
}

// Words that mean content the journal cannot keep, wherever they appear.
const QSet<QByteArray> &unsupportedWords()
{
    static const QSet<QByteArray> words = {"pict",    "object",     "objdata",     "shp",
                                           "shppict", "nonshppict", "NeXTGraphic", "attachment"};
    return words;
}

class Parser
{
public:
    explicit Parser(const QByteArray &input)
        : mInput(input)
    {
    }

    std::optional<NBRTFReadError> parse();
    /// Refuses a table larger than the journal shows; every other table is built at its size.
    std::optional<NBRTFReadError> checkTableSizes() const;
    std::unique_ptr<QTextDocument> build() const;

private:
    std::optional<NBRTFReadError> controlWord(const QByteArray &word, std::optional<int> parameter);
    void controlSymbol(char symbol);
    void text(char16_t unit);
    void endParagraph();
    void endCell();
    void endRow();
    void colorTableWord(const QByteArray &word, int value);
    void colorTableText(char c);
    bool consumeSkip();

    GroupState &state() { return mStack.back(); }

    const QByteArray &mInput;
    qsizetype mPos = 0;
    QList<GroupState> mStack{GroupState{}};
    bool mGroupStart = false;
    // The group began with \* inside the entry's text: the next word names its destination.
    bool mIgnorableInText = false;
    int mPendingSkip = 0;

    QList<QColor> mColors;
    int mRed = -1, mGreen = -1, mBlue = -1;

    QList<Item> mItems;
    bool mTableOpen = false;
    Paragraph mParagraph;
    bool mInTable = false;
    QList<Paragraph> mCell;
    Row mRow;
    QList<CellDefinition> mDefinitions;
    CellDefinition mPendingDefinition;
};

std::optional<NBRTFReadError> Parser::parse()
{
    qsizetype start = 0;
    while (start < mInput.size() && QChar::isSpace(uchar(mInput.at(start))))
        ++start;
    if (!mInput.mid(start, 5).startsWith("{\\rtf"))
        return NBRTFReadError{NBRTFReadError::Kind::NotRTF, QStringLiteral("no RTF header"), start};
    mPos = start;

    while (mPos < mInput.size()) {
        const char c = mInput.at(mPos);
        if (c == '{') {
            ++mPos;
            mStack.append(mStack.back());
            mGroupStart = true;
            mIgnorableInText = false;
            mPendingSkip = 0;
            continue;
        }
        if (c == '}') {
            ++mPos;
            if (mStack.size() > 1)
                mStack.removeLast();
            mGroupStart = false;
            mIgnorableInText = false;
            mPendingSkip = 0;
            if (mStack.size() == 1)
                break; // end of the document group
            continue;
        }
        if (c == '\\') {
            ++mPos;
            if (mPos >= mInput.size())
                break;
            const char next = mInput.at(mPos);
            if (QChar::isLetter(uchar(next)) && uchar(next) < 0x80) {
                const qsizetype wordStart = mPos;
                while (mPos < mInput.size() && uchar(mInput.at(mPos)) < 0x80 && QChar::isLetter(uchar(mInput.at(mPos))))
                    ++mPos;
                const QByteArray word = mInput.mid(wordStart, mPos - wordStart);
                std::optional<int> parameter;
                const qsizetype numberStart = mPos;
                const bool negative = mPos < mInput.size() && mInput.at(mPos) == '-';
                const qsizetype digitsStart = negative ? mPos + 1 : mPos;
                mPos = digitsStart;
                // At most ten digits: a longer run cannot be a parameter any reader honours.
                while (mPos < mInput.size() && mPos - digitsStart < 10 && QChar::isDigit(uchar(mInput.at(mPos))))
                    ++mPos;
                if (mPos > digitsStart)
                    parameter = int(std::clamp(mInput.mid(numberStart, mPos - numberStart).toLongLong(), -2147483647LL,
                                               2147483647LL));
                else
                    mPos = numberStart;
                if (mPos < mInput.size() && mInput.at(mPos) == ' ')
                    ++mPos;
                if (auto error = controlWord(word, parameter)) {
                    error->offset = wordStart - 1;
                    return error;
                }
            } else {
                ++mPos;
                if (next != '*')
                    mIgnorableInText = false;
                controlSymbol(next);
            }
            mGroupStart = false;
            continue;
        }
        ++mPos;
        mGroupStart = false;
        if (c == '\r' || c == '\n')
            continue;
        mIgnorableInText = false;
        if (state().destination == Destination::ColorTable) {
            colorTableText(c);
            continue;
        }
        if (consumeSkip())
            continue;
        if (state().destination == Destination::Text)
            text(NBRTFCodePage::unitForByte(uchar(c)));
    }
    // Text after the last paragraph mark is a paragraph of its own.
    if (!mParagraph.isEmpty())
        endParagraph();
    return std::nullopt;
}

std::optional<NBRTFReadError> Parser::checkTableSizes() const
{
    for (const Item &item : mItems) {
        qsizetype columns = 0;
        for (const Row &row : item.rows)
            columns = std::max(columns, row.cells.size());
        if (item.rows.size() > NBRTFReader::kMaxTableRows || columns > NBRTFReader::kMaxTableColumns)
            return NBRTFReadError{NBRTFReadError::Kind::Unsupported,
                                  QStringLiteral("a table of %1 rows and %2 columns, more than %3 by %4")
                                      .arg(item.rows.size())
                                      .arg(columns)
                                      .arg(NBRTFReader::kMaxTableRows)
                                      .arg(NBRTFReader::kMaxTableColumns),
                                  0};
    }
    return std::nullopt;
}

bool Parser::consumeSkip()
{
    if (mPendingSkip <= 0)
        return false;
    --mPendingSkip;
    return true;
}

std::optional<NBRTFReadError> Parser::controlWord(const QByteArray &word, std::optional<int> parameter)
{
    if (unsupportedWords().contains(word))
        return NBRTFReadError{NBRTFReadError::Kind::Unsupported,
                              QStringLiteral("unsupported content (\\%1)").arg(QString::fromLatin1(word)), 0};
    if (word == "bin") {
        // Binary data is skipped whole, whatever the destination.
        mPos = std::min(mInput.size(), mPos + std::max(0, parameter.value_or(0)));
        return std::nullopt;
    }
    const bool groupStart = mGroupStart;
    const bool ignorableInText = std::exchange(mIgnorableInText, false);
    const bool opensInText = (groupStart && state().destination == Destination::Text) || ignorableInText;
    if (opensInText && textDestinations().contains(word))
        return NBRTFReadError{NBRTFReadError::Kind::Unsupported,
                              QStringLiteral("text the journal cannot show (\\%1)").arg(QString::fromLatin1(word)), 0};
    if (ignorableInText && !skippedDestinations().contains(word))
        return NBRTFReadError{NBRTFReadError::Kind::Unsupported,
                              QStringLiteral("a group the journal does not know (\\*\\%1)").arg(QString::fromLatin1(word)),
                              0};
    if (groupStart && skippedDestinations().contains(word)) {
        state().destination = Destination::Skip;
        return std::nullopt;
    }
    if (groupStart && word == "colortbl") {
        state().destination = Destination::ColorTable;
        return std::nullopt;
    }
    if (state().destination == Destination::ColorTable) {
        colorTableWord(word, parameter.value_or(0));
        return std::nullopt;
    }
    if (state().destination == Destination::Skip)
        return std::nullopt;
    if (word == "uc") {
        state().unicodeSkip = std::max(0, parameter.value_or(1));
        return std::nullopt;
    }
    if (word == "u") {
        const int value = parameter.value_or(0);
        mPendingSkip = 0;
        text(char16_t(value < 0 ? value + 65536 : value));
        mPendingSkip = state().unicodeSkip;
        return std::nullopt;
    }
    if (consumeSkip())
        return std::nullopt;

    CharState &chars = state().chars;
    const bool on = parameter.value_or(1) != 0;
    if (word == "par" || word == "sect" || word == "page")
        endParagraph();
    else if (word == "cell")
        endCell();
    else if (word == "row")
        endRow();
    else if (word == "pard")
        mInTable = false;
    else if (word == "intbl")
        mInTable = true;
    else if (word == "trowd") {
        mDefinitions.clear();
        mPendingDefinition = {};
    } else if (word == "clcbpat")
        mPendingDefinition.background = parameter.value_or(-1);
    else if (word == "brdrcf")
        mPendingDefinition.border = parameter.value_or(-1);
    else if (word == "cellx") {
        mDefinitions.append(mPendingDefinition);
        mPendingDefinition = {};
    } else if (word == "plain")
        chars = CharState{};
    else if (word == "b")
        chars.bold = on;
    else if (word == "i")
        chars.italic = on;
    else if (word == "ul")
        chars.underline = on;
    else if (word == "ulnone")
        chars.underline = false;
    else if (word == "fs")
        chars.halfPoints = parameter.value_or(24);
    else if (word == "cf")
        chars.color = parameter.value_or(0);
    else if (word == "tab")
        text(u'\t');
    else if (word == "line")
        text(char16_t(0x2028));
    else if (word == "emdash")
        text(char16_t(0x2014));
    else if (word == "endash")
        text(char16_t(0x2013));
    else if (word == "lquote")
        text(char16_t(0x2018));
    else if (word == "rquote")
        text(char16_t(0x2019));
    else if (word == "ldblquote")
        text(char16_t(0x201C));
    else if (word == "rdblquote")
        text(char16_t(0x201D));
    else if (word == "bullet")
        text(char16_t(0x2022));
    return std::nullopt;
}

void Parser::controlSymbol(char symbol)
{
    if (symbol == '*') {
        // {\*\word ...}: a destination other readers may skip. Within the entry's text only the
        // ones known to hold no text are skipped (see controlWord); the rest stop the reading.
        if (mGroupStart) {
            mIgnorableInText = state().destination == Destination::Text;
            state().destination = Destination::Skip;
        }
        return;
    }
    if (symbol == '\'') {
        bool ok = false;
        const int byte = mInput.mid(mPos, 2).toInt(&ok, 16);
        mPos = std::min(mInput.size(), mPos + 2);
        if (consumeSkip() || !ok)
            return;
        if (state().destination == Destination::Text)
            text(NBRTFCodePage::unitForByte(uchar(byte)));
        return;
    }
    if (consumeSkip() || state().destination != Destination::Text)
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}': text(char16_t(symbol)); break;
    case '~': text(char16_t(0x00A0)); break;
    case '_': text(char16_t(0x2011)); break;
    case '\n':
    case '\r': endParagraph(); break;
    default: break; // \- optional hyphen, \: index entry, \| formula: nothing to keep
    }
}

void Parser::text(char16_t unit)
{
    if (state().destination != Destination::Text)
        return;
    // Control characters (a NUL byte, \'00, \u1) are no text the journal keeps: taken in, they
    // would vanish at the next save and the entry would change under its writer. A line feed
    // is the line break it stands for; an object placeholder holds no object here.
    if (unit == u'\n')
        unit = char16_t(0x2028);
    else if ((unit < 0x20 && unit != u'\t') || unit == 0xFFFC)
        return;
    const CharState &chars = state().chars;
    if (mParagraph.isEmpty() || mParagraph.back().chars != chars)
        mParagraph.append(Run{QString(), chars});
    mParagraph.back().text.append(QChar(unit));
}

void Parser::endParagraph()
{
    if (mInTable) {
        mCell.append(mParagraph);
    } else {
        mTableOpen = false;
        mItems.append(Item{mParagraph, {}});
    }
    mParagraph.clear();
}

void Parser::endCell()
{
    mCell.append(mParagraph);
    mParagraph.clear();
    mRow.cells.append(mCell);
    mCell.clear();
}

void Parser::endRow()
{
    if (!mParagraph.isEmpty() || !mCell.isEmpty())
        endCell();
    // A row mark without a cell is no row of any table: nothing to show or to keep.
    if (mRow.cells.isEmpty())
        return;
    mRow.definitions = mDefinitions;
    if (!mTableOpen) {
        mItems.append(Item{});
        mTableOpen = true;
    }
    mItems.back().rows.append(mRow);
    mRow = Row{};
}

void Parser::colorTableWord(const QByteArray &word, int value)
{
    if (word == "red")
        mRed = value;
    else if (word == "green")
        mGreen = value;
    else if (word == "blue")
        mBlue = value;
}

void Parser::colorTableText(char c)
{
    if (c != ';')
        return;
    // An entry without components is the default ("auto") colour.
    mColors.append(mRed < 0 && mGreen < 0 && mBlue < 0
                       ? QColor()
                       : QColor(std::clamp(mRed, 0, 255), std::clamp(mGreen, 0, 255), std::clamp(mBlue, 0, 255)));
    mRed = mGreen = mBlue = -1;
}

QTextCharFormat charFormat(const CharState &chars, const QList<QColor> &colors)
{
    QTextCharFormat format;
    if (chars.bold)
        format.setFontWeight(QFont::Bold);
    if (chars.italic)
        format.setFontItalic(true);
    if (chars.underline)
        format.setFontUnderline(true);
    if (chars.halfPoints > 0)
        format.setProperty(QTextFormat::FontPixelSize, std::max(1, chars.halfPoints / 2));
    if (chars.color > 0 && chars.color < colors.size() && colors.at(chars.color).isValid())
        format.setForeground(colors.at(chars.color));
    return format;
}

void insertParagraph(QTextCursor &cursor, const Paragraph &paragraph, const QList<QColor> &colors)
{
    for (const Run &run : paragraph)
        cursor.insertText(run.text, charFormat(run.chars, colors));
}

std::unique_ptr<QTextDocument> Parser::build() const
{
    auto document = std::make_unique<QTextDocument>();
    QTextCursor cursor(document.get());
    bool freshBlock = true;
    const auto color = [this](int index) { return index > 0 && index < mColors.size() ? mColors.at(index) : QColor(); };
    for (const Item &item : mItems) {
        if (item.rows.isEmpty()) {
            if (!freshBlock)
                cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
            insertParagraph(cursor, item.paragraph, mColors);
            freshBlock = false;
            continue;
        }
        qsizetype columns = 1;
        for (const Row &row : item.rows)
            columns = std::max(columns, row.cells.size());
        QTextTableFormat tableFormat;
        tableFormat.setBorder(1);
        tableFormat.setCellPadding(3);
        tableFormat.setCellSpacing(0);
        tableFormat.setBorderCollapse(true);
        const QList<CellDefinition> &first = item.rows.front().definitions;
        if (!first.isEmpty() && color(first.front().border).isValid())
            tableFormat.setBorderBrush(color(first.front().border));
        QTextTable *table = cursor.insertTable(int(item.rows.size()), int(columns), tableFormat);
        for (qsizetype r = 0; r < item.rows.size(); ++r) {
            const Row &row = item.rows.at(r);
            for (qsizetype c = 0; c < row.cells.size(); ++c) {
                QTextTableCell cell = table->cellAt(int(r), int(c));
                if (c < row.definitions.size() && color(row.definitions.at(c).background).isValid()) {
                    QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
                    cellFormat.setBackground(color(row.definitions.at(c).background));
                    cell.setFormat(cellFormat);
                }
                QTextCursor cellCursor = cell.firstCursorPosition();
                const QList<Paragraph> &paragraphs = row.cells.at(c);
                for (qsizetype p = 0; p < paragraphs.size(); ++p) {
                    if (p > 0)
                        cellCursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
                    insertParagraph(cellCursor, paragraphs.at(p), mColors);
                }
            }
        }
        cursor.movePosition(QTextCursor::End);
        freshBlock = true;
    }
    return document;
}

} // namespace

NBRTFReadResult NBRTFReader::read(const QByteArray &rtf)
{
    Parser parser(rtf);
    if (std::optional<NBRTFReadError> error = parser.parse())
        return *error;
    if (std::optional<NBRTFReadError> error = parser.checkTableSizes())
        return *error;
    return parser.build();
}
