// Pasting into a journal entry.
#include "app/journal/NBJournalTextView.h"

#include "app/journal/NBRTFReader.h"
#include "app/journal/NBRTFWriter.h"

#include <QMimeData>
#include <QTextDocumentFragment>

NBJournalTextView::NBJournalTextView(QWidget *parent)
    : QTextEdit(parent)
{
    setObjectName(QStringLiteral("textView"));
    setAcceptRichText(true);
}

bool NBJournalTextView::canInsertFromMimeData(const QMimeData *source) const
{
    return !isReadOnly() && (source->hasText() || source->hasHtml());
}

void NBJournalTextView::insertFromMimeData(const QMimeData *source)
{
    if (!canInsertFromMimeData(source))
        return;
    if (!source->hasHtml()) {
        textCursor().insertText(source->text());
        ensureCursorVisible();
        return;
    }
    QTextDocument pasted;
    pasted.setDefaultFont(document()->defaultFont());
    pasted.setHtml(source->html());
    // Through the store's own form and back: what is kept after saving is what shows now.
    NBRTFReadResult reduced = NBRTFReader::read(NBRTFWriter::write(pasted));
    if (auto *reducedDocument = std::get_if<std::unique_ptr<QTextDocument>>(&reduced))
        textCursor().insertFragment(QTextDocumentFragment(reducedDocument->get()));
    else
        textCursor().insertText(pasted.toPlainText());
    ensureCursorVisible();
}
