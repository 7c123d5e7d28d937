// Rows and layout of the journal's conditions table.
#include "app/journal/NBJournalConditionsTable.h"

#include "app/journal/NBJournalDateText.h"
#include "core/NBPrefController.h"
#include "core/OVConstants.h"
#include "platform/OVLocalize.h"
#include "weather/OVWeatherConditions.h"

#include <QTextCursor>
#include <QTextTable>

namespace {

bool present(double value)
{
    return value != OVNoValue;
}

} // namespace

QList<QPair<QString, QString>> NBJournalConditionsTable::rows(const OVWeatherConditions &conditions,
                                                              const QTimeZone &zone)
{
    const OVTemperatureUnit temperatureUnits = OVUnits::temperatureSetting();
    const double temperature = conditions.temperatureF();

    QList<QPair<QString, QString>> rows;
    rows.append(
        {OVLocalizedString("Conditions for Time:"), NBJournalDateText::mediumDateTime(conditions.date(), zone)});
    rows.append({OVLocalizedString("Temperature:"), conditions.temperatureStringWithUnits(temperatureUnits)});
    // A missing reading (-1000) is below any temperature; it must not make a "Wind Chill" row.
    if (present(temperature) && present(conditions.windChillF()) && conditions.windChillF() < temperature)
        rows.append({OVLocalizedString("Wind Chill:"), conditions.windChillStringWithUnits(temperatureUnits)});
    if (present(temperature) && present(conditions.heatIndexF()) && conditions.heatIndexF() > temperature)
        rows.append({OVLocalizedString("Heat Index:"), conditions.heatIndexStringWithUnits(temperatureUnits)});
    rows.append({OVLocalizedString("Dewpoint:"), conditions.dewpointStringWithUnits(temperatureUnits)});
    rows.append({OVLocalizedString("Relative Humidity:"), conditions.humidityString()});
    rows.append({OVLocalizedString("Wind:"), conditions.windStringWithUnits(OVUnits::windSpeedSetting())});
    rows.append({OVLocalizedString("Visibility:"), conditions.visibilityStringWithUnits(OVUnits::distanceSetting())});
    rows.append({OVLocalizedString("Pressure:"), conditions.pressureStringWithUnits(OVUnits::pressureSetting())});
    rows.append({OVLocalizedString("Notes:\n\n\n"), QString()});
    return rows;
}

void NBJournalConditionsTable::insert(QTextCursor &cursor, const QList<QPair<QString, QString>> &rows)
{
    if (rows.isEmpty())
        return;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int start = cursor.position();
    cursor.insertText(QStringLiteral("\n\n"));

    QTextTableFormat format;
    format.setBorder(1);
    format.setCellPadding(3);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    format.setBorderBrush(QColor::fromRgbF(0.8f, 0.8f, 0.8f));
    QTextTable *table = cursor.insertTable(int(rows.size()), 2, format);
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < 2; ++column) {
            QTextTableCell cell = table->cellAt(row, column);
            QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
            cellFormat.setBackground(Qt::white);
            cell.setFormat(cellFormat);
            QTextCursor cellCursor = cell.firstCursorPosition();
            cellCursor.insertText(column == 0 ? rows.at(row).first : rows.at(row).second);
        }
    }
    cursor = table->lastCursorPosition();
    cursor.movePosition(QTextCursor::NextBlock);
    cursor.insertText(QStringLiteral("\n\n"));
    cursor.endEditBlock();
    cursor.setPosition(start);
}
