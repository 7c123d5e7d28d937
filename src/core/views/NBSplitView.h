// The main window's split view: a QSplitter whose 4-wide handle is painted in a divider colour
// that follows the appearance. Main thread.
#pragma once

#include <QColor>
#include <QSplitter>

class NBSplitView : public QSplitter
{
    Q_OBJECT

public:
    explicit NBSplitView(QWidget *parent = nullptr);
    explicit NBSplitView(Qt::Orientation orientation, QWidget *parent = nullptr);

    /// White 0.3 in a dark appearance, white 0.8 otherwise; opaque.
    QColor dividerColor() const;
    double dividerThickness() const { return 4.0; }

protected:
    QSplitterHandle *createHandle() override;
};
