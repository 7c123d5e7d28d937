// The journal's text view: a rich-text editor that takes in only what an entry can keep.
// Pasted or dropped rich text is reduced to the stored form (runs, sizes, colours, tables);
// images are refused. Main thread only.
#pragma once

#include <QTextEdit>

class NBJournalTextView : public QTextEdit
{
    Q_OBJECT

public:
    explicit NBJournalTextView(QWidget *parent = nullptr);

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
};
