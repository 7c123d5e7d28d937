// Reads the comma- or tab-separated reference tables under tests/data (a header line, then one
// row per line; no quoting) into rows addressed by column name.
#pragma once

#include "support/TestHelpers.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

struct ReferenceTable
{
    QStringList columns;
    QList<QStringList> rows;

    QString value(const QStringList &row, const QString &column) const
    {
        const qsizetype index = columns.indexOf(column);
        return index >= 0 && index < row.size() ? row.at(index) : QString();
    }
    double number(const QStringList &row, const QString &column) const
    {
        return value(row, column).toDouble();
    }
};

inline ReferenceTable readReferenceTable(const QString &relativePath, QChar separator)
{
    ReferenceTable table;
    QFile file(testDataPath(relativePath));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << relativePath.toStdString();
        return table;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QStringList cells = line.split(separator);
        if (table.columns.isEmpty())
            table.columns = cells;
        else
            table.rows.append(cells);
    }
    return table;
}
