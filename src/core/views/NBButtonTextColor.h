// Reading and setting a button's title colour (the palette's ButtonText role); other palette
// roles and the font stay as they are. Main thread.
#pragma once

#include <QColor>

class QAbstractButton;

class NBButtonTextColor
{
public:
    static QColor textColor(const QAbstractButton &button);
    static void setTextColor(QAbstractButton &button, const QColor &color);
};
