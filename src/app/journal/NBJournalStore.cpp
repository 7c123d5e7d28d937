// Reading and writing the journal's entry folders and icon files.
#include "app/journal/NBJournalStore.h"

#include "app/journal/NBRTFReader.h"
#include "app/journal/NBRTFWriter.h"
#include "core/regex/ExtRegexAdditions.h"
#include "platform/OVLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextDocument>

namespace {

const QString kTextFile = QStringLiteral("TXT.rtf");

QString namePrefix(const CalendarDate &date)
{
    return QStringLiteral("%1-%2-%3")
        .arg(date.year % 100, 2, 10, QLatin1Char('0'))
        .arg(date.month, 2, 10, QLatin1Char('0'))
        .arg(date.day, 2, 10, QLatin1Char('0'));
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("could not write \"%1\": %2").arg(path, file.errorString());
    return {};
}

// Removes what the entry keeps at `path`: the folder with everything in it, or the icon file.
QString removeEntryFile(const QString &path, bool folder)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    const bool removed =
        folder && info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively() : QFile::remove(path);
    return removed ? QString() : QStringLiteral("could not delete \"%1\"").arg(path);
}

} // namespace

NBJournalStore::NBJournalStore(QString directory)
    : mDirectory(std::move(directory))
{
}

bool NBJournalStore::canHoldEntries(const CalendarDate &date)
{
    return date.year >= 2000 && date.year <= 2099 && date.isValid();
}

QString NBJournalStore::entryName(const CalendarDate &date, qint64 locationID)
{
    return namePrefix(date) + QStringLiteral(" %1.rtfd").arg(locationID);
}

QString NBJournalStore::settingsName(const CalendarDate &date, qint64 locationID)
{
    return namePrefix(date) + QStringLiteral(" %1.txt").arg(locationID);
}

std::optional<CalendarDate> NBJournalStore::dateForName(const QString &name)
{
    const QStringList parts = ExtRegexAdditions::captureComponentsMatchedByRegex(
        name, QStringLiteral("(\\d\\d)-(\\d\\d)-(\\d\\d) (\\d+)\\."));
    if (parts.size() != 5)
        return std::nullopt;
    const CalendarDate date{parts.at(1).toInt() + 2000, parts.at(2).toInt(), parts.at(3).toInt()};
    // A day that its month does not have ("24-02-30") names no day at all.
    if (date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > CalendarCell::daysInMonth(date.month, date.year))
        return std::nullopt;
    bool ok = false;
    const qlonglong location = parts.at(4).toLongLong(&ok);
    if (!ok || location >= 2147483647LL)
        return std::nullopt;
    return date;
}

QList<CalendarDate> NBJournalStore::loadEntryList() const
{
    QList<CalendarDate> list;
    const QStringList names =
        QDir(mDirectory)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &name : names) {
        if (const std::optional<CalendarDate> date = dateForName(name))
            list.append(*date);
    }
    return list;
}

NBJournalEntry NBJournalStore::load(const CalendarDate &date, qint64 locationID) const
{
    NBJournalEntry entry;
    entry.document = std::make_unique<QTextDocument>();
    if (!canHoldEntries(date)) {
        entry.readOnlyReason = QStringLiteral("entries exist for the years 2000 to 2099 only");
        return entry;
    }

    const QString folder = QDir(mDirectory).filePath(entryName(date, locationID));
    const QFileInfo folderInfo(folder);
    if (folderInfo.exists()) {
        const QStringList contents =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        QFile file(QDir(folder).filePath(kTextFile));
        if (!folderInfo.isDir())
            entry.readOnlyReason = QStringLiteral("\"%1\" is not a folder").arg(folder);
        else if (contents != QStringList{kTextFile})
            entry.readOnlyReason = QStringLiteral("\"%1\" holds attachments or no text").arg(folder);
        else if (!file.open(QIODevice::ReadOnly))
            entry.readOnlyReason = QStringLiteral("could not read \"%1\": %2").arg(file.fileName(), file.errorString());
        else {
            NBRTFReadResult result = NBRTFReader::read(file.readAll());
            if (auto *document = std::get_if<std::unique_ptr<QTextDocument>>(&result))
                entry.document = std::move(*document);
            else {
                const NBRTFReadError &error = std::get<NBRTFReadError>(result);
                entry.readOnlyReason = QStringLiteral("\"%1\" cannot be shown whole: %2 at byte %3")
                                           .arg(file.fileName(), error.detail)
                                           .arg(error.offset);
            }
        }
        if (entry.readOnly())
            OVLog(QStringLiteral("[NBJournalController loadEntry] Opening the entry read-only: %1.")
                      .arg(entry.readOnlyReason));
    }

    QFile settings(QDir(mDirectory).filePath(settingsName(date, locationID)));
    if (settings.open(QIODevice::ReadOnly))
        entry.settings = QString::fromLatin1(settings.readAll());
    return entry;
}

NBJournalSaveResult NBJournalStore::save(const CalendarDate &date, qint64 locationID, const QTextDocument &document,
                                         const QString &settings) const
{
    NBJournalSaveResult result;
    if (mDirectory.isEmpty()) {
        OVLog(QStringLiteral("[NBJournalController saveEntry] Something went wrong, the journal path isn't valid."));
        return result;
    }
    if (!canHoldEntries(date))
        return result;

    const QDir directory(mDirectory);
    const QString folder = directory.filePath(entryName(date, locationID));
    const QString settingsPath = directory.filePath(settingsName(date, locationID));
    const bool hasText = !document.toPlainText().isEmpty();
    QStringList errors;

    if (!hasText) {
        if (const QString error = removeEntryFile(folder, true); !error.isEmpty())
            errors.append(error);
    } else if (!QFileInfo(folder).isDir() && !directory.mkpath(folder)) {
        errors.append(QStringLiteral("could not create the folder \"%1\"").arg(folder));
    } else if (const QString error = writeFile(QDir(folder).filePath(kTextFile), NBRTFWriter::write(document));
               !error.isEmpty()) {
        errors.append(error);
    } else {
        result.written = true;
    }

    if (settings.isEmpty()) {
        if (const QString error = removeEntryFile(settingsPath, false); !error.isEmpty())
            errors.append(error);
    } else if (const QString error = writeFile(settingsPath, settings.toLatin1()); !error.isEmpty()) {
        errors.append(error);
    } else {
        result.written = true;
    }

    result.error = errors.join(QStringLiteral("; "));
    if (!result.error.isEmpty())
        OVLog(QStringLiteral("[NBJournalController saveEntry] The entry was not saved: %1.").arg(result.error));
    return result;
}
