// The weather icon menu of the journal window.
#include "app/journal/NBJournalConditionsButton.h"

#include "core/views/OVNamedImage.h"
#include "platform/OVLocalize.h"

#include <QMenu>

namespace {

constexpr int kImageSize = 48;

QString imageName(const char *code)
{
    return QStringLiteral("Journal-") + QLatin1String(code);
}

} // namespace

const std::array<NBJournalConditionsButton::Icon, 23> &NBJournalConditionsButton::icons()
{
    static const std::array<Icon, 23> table = {{
        {"skc", "Sunny"},
        {"few", "Partly Cloudy"},
        {"bkn", "Mostly Cloudy"},
        {"ovc", "Overcast"},
        {"ra1", "Drizzle"},
        {"hi_shwrs", "Rain Showers"},
        {"shra", "Rain"},
        {"hi_tsra", "Scattered Thunderstorms"},
        {"scttsra", "Thunderstorms"},
        {"tsra", "Thunderstorms with Rain"},
        {"fzra", "Freezing Rain"},
        {"mix", "Wintery Mix"},
        {"ip", "Sleet"},
        {"flurries", "Flurries"},
        {"sn", "Snow"},
        {"wind", "Windy"},
        {"cold", "Cold"},
        {"hot", "Hot"},
        {"fg", "Fog"},
        {"hazy", "Haze"},
        {"dust", "Dust"},
        {"smoke", "Smoke"},
        {"na", "Not Available"},
    }};
    return table;
}

QString NBJournalConditionsButton::noIconName()
{
    return QStringLiteral("Journal-na");
}

void NBJournalConditionsButton::registerImages()
{
    const auto small = [](const QString &source) {
        return OVNamedImage::imageNamed(source).scaled(kImageSize, kImageSize, Qt::KeepAspectRatio,
                                                       Qt::SmoothTransformation);
    };
    // "Journal-na" first: the later copy of the "na" icon under the same name is ignored, so
    // no icon chosen keeps its own picture.
    OVNamedImage::registerImage(noIconName(), small(QStringLiteral("journal-select")));
    for (const Icon &icon : icons())
        OVNamedImage::registerImage(imageName(icon.code), small(QLatin1String(icon.code)));
}

QImage NBJournalConditionsButton::imageForName(const QString &name)
{
    static const bool registered = (registerImages(), true);
    Q_UNUSED(registered);
    for (const Icon &icon : icons()) {
        if (name == imageName(icon.code))
            return OVNamedImage::imageNamed(name);
    }
    return {};
}

NBJournalConditionsButton::NBJournalConditionsButton(QWidget *parent)
    : QToolButton(parent)
    , mChosen(noIconName())
{
    setObjectName(QStringLiteral("conditionsButton"));
    setFixedSize(60, 60);
    setIconSize(QSize(kImageSize, kImageSize));
    setPopupMode(QToolButton::InstantPopup);
    setAutoRaise(true);
    // The pop-up arrow would cover the icon.
    setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    setMenu(new QMenu(this));
    setupConditionsMenu();
    showChoice();
}

void NBJournalConditionsButton::setupConditionsMenu()
{
    QMenu *items = menu();
    items->clear();
    items->addAction(QIcon(QPixmap::fromImage(imageForName(noIconName()))), QString());
    int index = 1;
    for (const Icon &icon : icons()) {
        QAction *action = items->addAction(QIcon(QPixmap::fromImage(imageForName(imageName(icon.code)))),
                                           OVLocalizedString(icon.title));
        action->setIconVisibleInMenu(true);
        connect(action, &QAction::triggered, this, [this, index] { setConditions(index); });
        ++index;
    }
}

void NBJournalConditionsButton::setConditions(int index)
{
    if (index < 1 || index > int(icons().size()))
        return;
    mChosen = imageName(icons().at(index - 1).code);
    showChoice();
    emit conditionsChosen();
}

QString NBJournalConditionsButton::settingsString() const
{
    return mChosen == noIconName() ? QString() : QStringLiteral("icon=") + mChosen;
}

void NBJournalConditionsButton::readSettingsString(const QString &text)
{
    mChosen = noIconName();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1String("icon=")))
            continue;
        const QString name = line.mid(5);
        if (!imageForName(name).isNull() || name == noIconName())
            mChosen = name;
    }
    showChoice();
}

void NBJournalConditionsButton::showChoice()
{
    const QIcon icon(QPixmap::fromImage(imageForName(mChosen)));
    setIcon(icon);
    if (!menu()->actions().isEmpty())
        menu()->actions().constFirst()->setIcon(icon);
}
