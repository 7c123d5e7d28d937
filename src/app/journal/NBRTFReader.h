// Reads RTF into a text document, keeping what the journal stores (see NBRTFWriter): paragraphs,
// runs with bold, italic, underline, size (\fsN as N/2 pixels) and colour, and tables (several
// paragraphs per cell, cell backgrounds, the border colour). It is tolerant of what other
// programs write: font tables, style sheets, document info, page styles, the other groups known
// to hold no text ({\*\generator ...} and the like) and unknown control words are skipped;
// \ucN, \uN and \'hh (cp1252) are honoured.
//
// Content the journal cannot keep gives an error instead of a document, so the caller never
// rewrites what it could not read whole: pictures, embedded objects, attachments, text the
// editor has no place for (footnotes, headers, footers, annotations, field instructions), any
// other {\*\...} group inside the text, a table beyond kMaxTableRows by kMaxTableColumns, and
// text that is not RTF. Tables are built at the size the file gives, rows of fewer cells filled
// out to the widest. Pure; any thread.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <variant>

class QTextDocument;

struct NBRTFReadError
{
    enum class Kind { NotRTF, Unsupported };
    Kind kind;
    /// What was found, for the log ("a picture (\pict)").
    QString detail;
    /// Byte offset in the input where reading stopped.
    qsizetype offset = 0;
};

using NBRTFReadResult = std::variant<std::unique_ptr<QTextDocument>, NBRTFReadError>;

class NBRTFReader
{
public:
    /// The largest table shown; a larger one (64,000 cells) makes the entry unreadable here.
    static constexpr qsizetype kMaxTableRows = 1000;
    static constexpr qsizetype kMaxTableColumns = 64;

    /// A new document with the text of `rtf`, or why it cannot be represented.
    static NBRTFReadResult read(const QByteArray &rtf);
};
