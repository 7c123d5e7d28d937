// Small string helpers used by the settings store, the readers of stored and downloaded text,
// and the windows: the program's own truth value of a text, tag stripping, text height,
// prefix matching at an index, first-letter capitalising, chopping, and appending styled text
// to a rich-text document. All are pure functions, safe on any thread (the height measurement
// and the document append use Qt's text layout, which needs the application object).
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>

class QTextDocument;

namespace OVStringUtil {

/// NO for "", "0" and "no" in any mix of case; YES for every other text ("false" and "00" too).
bool boolValue(const QString &text);

/// The text with everything between "<" and ">" removed. A ">" without its "<" lowers the
/// depth below zero, so the text after it is dropped until the next "<".
QString stringWithoutXMLTags(const QString &text);

/// Height (pixels) of the text laid out with the attribute dictionary (OVTextAttributes.h) in a
/// column `pixelWidth` wide (0 means one unbroken line); 0 for an empty attribute dictionary.
double heightOfString(const QString &text, const QVariantMap &attributes, double pixelWidth);

/// Index in `candidates` of the first string that `text` holds starting exactly at `index`
/// (UTF-16 units); OVNotFound when none fits there or the list is empty.
int64_t hasAnyStringInArray(const QString &text, const QStringList &candidates, int64_t index);

/// Replaces the first character (a whole code point) by its title-case form.
void makeUCFirst(QString &text);
/// Deletes the last character (a whole code point); nothing for an empty text.
void chop(QString &text);

/// Appends `text` at the end of `document` in the attributes' font and colours. A null text or
/// an empty attribute dictionary appends nothing.
void appendString(QTextDocument &document, const QString &text, const QVariantMap &attributes);

} // namespace OVStringUtil
