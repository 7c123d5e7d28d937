#include "core/NBInterfaceStyle.h"

#include "core/OVTextAttributes.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>

namespace {

enum class Face { Regular, Bold, DemiBoldItalic };

struct TextStyle
{
    const char *key;
    Face face;
    int size;
    QColor color;
};

const QColor kWhite = QColor::fromRgbF(1, 1, 1, 1);
const QColor kBlack = QColor::fromRgbF(0, 0, 0, 1);
const QColor kGrey = QColor::fromRgbF(0.6f, 0.6f, 0.6f, 1);
const QColor kYellow = QColor::fromRgbF(1, 1, 0, 1);
const QColor kOrange = QColor::fromRgbF(1, 0.5f, 0, 1);

const TextStyle kTextStyles[] = {
    {"headingFontAttr", Face::Bold, 18, kWhite},
    {"standardText", Face::Regular, 11, kBlack},
    {"standardTextInv", Face::Regular, 11, kWhite},
    {"standardBoldText", Face::Bold, 11, kBlack},
    {"standardBoldTextInv", Face::Bold, 11, kWhite},
    {"standardBoldItalicTextInv", Face::DemiBoldItalic, 11, kWhite},
    {"subHeadingFontAttr", Face::Bold, 14, kBlack},
    {"subHeadingFontAttrInv", Face::Bold, 14, kWhite},
    {"subHeadingFontAttrGray", Face::Bold, 14, kGrey},
    {"smallText", Face::Regular, 10, kBlack},
    {"smallTextGray", Face::Bold, 10, kGrey},
    {"smallTextInv", Face::Regular, 10, kWhite},
    {"tinyTextGray", Face::Regular, 10, kGrey},
    {"tinyTextInv", Face::Bold, 9, kWhite},
    {"highText", Face::Bold, 15, kWhite},
    {"lowText", Face::Bold, 15, kWhite},
    {"precipText", Face::Bold, 12, kBlack},
    {"mapICAOText", Face::Regular, 9, kYellow},
    {"mapICAOTextHighlight", Face::Regular, 9, kOrange},
};

struct NamedColor
{
    const char *key;
    double red, green, blue;
};

const NamedColor kColors[] = {
    {"headingColor", 1.0, 0.8666666666666667, 0.34509803921568627},
    {"backgroundColor", 0.419, 0.451, 0.451},
    {"viewBackgroundColor", 0.184, 0.196, 0.196},
    {"OVNimbrelColorGreen", 0.666, 0.816, 0.29},
    {"OVNimbrelColorBlue", 0.0, 0.71, 0.949},
    {"OVNimbrelColorOrange", 0.966, 0.585, 0.216},
    {"OVColorLightBackground", 0.403, 0.419, 0.431},
    {"OVColorDarkBackground", 0.176, 0.2, 0.2},
    {"OVColorSidebarBackground", 0.184, 0.198, 0.197},
};

QFont fontFor(Face face, int pixelSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    switch (face) {
    case Face::Regular:
        font.setWeight(QFont::Normal);
        break;
    case Face::Bold:
        font.setWeight(QFont::Bold);
        break;
    case Face::DemiBoldItalic:
        font.setWeight(QFont::DemiBold);
        font.setItalic(true);
        break;
    }
    return font;
}

} // namespace

namespace NBInterfaceStyle {

QVariantMap build()
{
    QVariantMap styles;
    for (const TextStyle &style : kTextStyles) {
        styles.insert(QString::fromLatin1(style.key),
                      QVariantMap{{OVFontAttributeName, fontFor(style.face, style.size)},
                                  {OVForegroundColorAttributeName, style.color}});
    }
    styles.insert(QStringLiteral("centerTextAlignment"),
                  QVariant::fromValue(OVParagraphStyle::truncatingTail(OVParagraphStyle::Center)));
    styles.insert(QStringLiteral("leftTextAlignment"),
                  QVariant::fromValue(OVParagraphStyle::truncatingTail(OVParagraphStyle::Left)));
    styles.insert(QStringLiteral("rightTextAlignment"),
                  QVariant::fromValue(OVParagraphStyle::truncatingTail(OVParagraphStyle::Right)));
    for (const NamedColor &color : kColors)
        styles.insert(QString::fromLatin1(color.key), QColor::fromRgbF(float(color.red), float(color.green),
                                                                       float(color.blue), 1.0f));
    return styles;
}

QStringList staleStoredKeys()
{
    return {QStringLiteral("headingFontAttr"),     QStringLiteral("standardText"),
            QStringLiteral("standardTextInv"),     QStringLiteral("standardBoldText"),
            QStringLiteral("standardBoldTextInv"), QStringLiteral("subHeadingFontAttr"),
            QStringLiteral("subHeadingFontAttrInv"), QStringLiteral("smallText"),
            QStringLiteral("smallTextInv"),        QStringLiteral("smallTextGray"),
            QStringLiteral("tinyTextGray"),        QStringLiteral("highText"),
            QStringLiteral("lowText"),             QStringLiteral("precipText"),
            QStringLiteral("centerTextAlignment"), QStringLiteral("leftTextAlignment"),
            QStringLiteral("rightTextAlignment"),  QStringLiteral("headingColor"),
            QStringLiteral("backgroundColor"),     QStringLiteral("viewBackgroundColor")};
}

} // namespace NBInterfaceStyle
