// Text attributes: the keys of an attribute dictionary (a QVariantMap) and the paragraph style
// value type. The settings store builds the interface's named attribute sets with these keys,
// and drawable text reads and writes the same keys.
//
// Values under the keys:
//   OVFontAttributeName            QFont
//   OVForegroundColorAttributeName QColor
//   OVParagraphStyleAttributeName  OVParagraphStyle
//   OVStrokeWidthAttributeName     float (outline width; 0 = no outline)
//   OVStrokeColorAttributeName     QColor
#pragma once

#include <QLatin1String>
#include <QMetaType>
#include <QtGlobal>

inline constexpr QLatin1String OVFontAttributeName{"font"};
inline constexpr QLatin1String OVForegroundColorAttributeName{"foregroundColor"};
inline constexpr QLatin1String OVParagraphStyleAttributeName{"paragraphStyle"};
inline constexpr QLatin1String OVStrokeWidthAttributeName{"strokeWidth"};
inline constexpr QLatin1String OVStrokeColorAttributeName{"strokeColor"};

/// How a line of text is aligned and broken. Alignment codes 0 left, 1 right, 2 centred;
/// 3 (justified) and 4 (natural, the default) exist so that a reader can tell them apart.
struct OVParagraphStyle
{
    enum Alignment : quint64 { Left = 0, Right = 1, Center = 2, Justified = 3, Natural = 4 };
    enum class LineBreak { WordWrapping, TruncatingTail };

    quint64 alignment = Natural;
    LineBreak lineBreak = LineBreak::WordWrapping;

    /// A copy of the default style with the given alignment and tail truncation.
    static constexpr OVParagraphStyle truncatingTail(quint64 alignment)
    {
        return OVParagraphStyle{alignment, LineBreak::TruncatingTail};
    }

    friend constexpr bool operator==(const OVParagraphStyle &, const OVParagraphStyle &) = default;
};

Q_DECLARE_METATYPE(OVParagraphStyle)
