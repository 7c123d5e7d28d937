// The journal's weather icon menu: a 60 x 60 button at the window's top right that pops up an
// untitled first item showing the current choice and the 23 weather icons. The choice is kept
// by image name, "Journal-<code>", with "Journal-na" meaning no icon; the entry's settings file
// stores it as "icon=<name>". Main thread only.
#pragma once

#include <QImage>
#include <QString>
#include <QToolButton>

#include <array>

class NBJournalConditionsButton : public QToolButton
{
    Q_OBJECT

public:
    struct Icon
    {
        const char *code;
        const char *title;
    };
    /// The menu's icons in order; titles are the English texts of the localisation table.
    static const std::array<Icon, 23> &icons();
    /// "Journal-na": no icon chosen.
    static QString noIconName();
    /// Registers the 48 x 48 copies of the icons as "Journal-<code>" with the named images,
    /// "Journal-na" being "journal-select". Done once, before the first image is asked for.
    static void registerImages();
    /// The 48 x 48 image of "Journal-<code>" ("journal-select" for "na"); null for other names.
    static QImage imageForName(const QString &name);

    explicit NBJournalConditionsButton(QWidget *parent = nullptr);

    /// Rebuilds the menu: the untitled item, then the 23 icons.
    void setupConditionsMenu();
    /// Chooses menu item `index` (1..23; 23 is "Not Available", no icon), as a click does.
    void setConditions(int index);
    QString chosenImageName() const { return mChosen; }
    /// "icon=<name>", or empty when no icon is chosen.
    QString settingsString() const;
    /// Resets to no icon, then takes the last "icon=" line whose name is one of the menu's.
    void readSettingsString(const QString &text);

signals:
    /// The user chose an item.
    void conditionsChosen();

private:
    void showChoice();

    QString mChosen;
};
