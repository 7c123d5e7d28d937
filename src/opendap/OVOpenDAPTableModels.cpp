#include "opendap/OVOpenDAPTableModels.h"

#include "core/regex/ExtRegexAdditions.h"
#include "opendap/OVOpenDAPText.h"

#include <unicode/smpdtfmt.h>
#include <unicode/uregex.h>

namespace {

bool isTopLevelRow(const QModelIndex &index, qsizetype count)
{
    return index.isValid() && !index.parent().isValid() && index.column() == 0 && index.row() >= 0 &&
           index.row() < count;
}

} // namespace

// --- Collections ---------------------------------------------------------------------------------

OVOpenDAPCollectionTableController::OVOpenDAPCollectionTableController(QObject *parent)
    : QAbstractListModel(parent)
{
    QStringList names = OVOpenDAPCollection::collectionTypes().values();
    names.sort();
    mCollectionNames = names;
}

int OVOpenDAPCollectionTableController::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mCollectionNames.size());
}

QVariant OVOpenDAPCollectionTableController::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !isTopLevelRow(index, mCollectionNames.size()))
        return QVariant();
    return mCollectionNames.at(index.row());
}

void OVOpenDAPCollectionTableController::setCollectionNames(const QStringList &names)
{
    beginResetModel();
    mCollectionNames = names;
    endResetModel();
}

// --- Levels --------------------------------------------------------------------------------------

OVOpenDAPLevelTableController::OVOpenDAPLevelTableController(QObject *parent)
    : QAbstractListModel(parent)
{
}

int OVOpenDAPLevelTableController::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mLevels.size());
}

QVariant OVOpenDAPLevelTableController::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !isTopLevelRow(index, qsizetype(mLevels.size())))
        return QVariant();
    return textForRow(index.row());
}

QString OVOpenDAPLevelTableController::textForRow(int row) const
{
    if (mLevels.size() == 1) {
        // A variable without a vertical axis: its name tells the level ("..._30_0mb", "...10m").
        const QString fallback =
            mVariableName.endsWith(QStringLiteral("sfc")) ? QStringLiteral("Surface") : QStringLiteral("Default");
        const QString named = ExtRegexAdditions::stringByMatching(mVariableName, QStringLiteral("(\\d[\\d_]+mb?$)"),
                                                                  UREGEX_CASE_INSENSITIVE,
                                                                  ERXRange{0, uint64_t(mVariableName.size())}, 1);
        return named.isEmpty() ? fallback : QString(named).replace(u'_', u'-');
    }
    if (row < 0 || size_t(row) >= mLevels.size())
        return QString();
    return QString::asprintf("%.0f ", double(float(mLevels[size_t(row)]))) + mUnits;
}

void OVOpenDAPLevelTableController::setLevels(const std::vector<double> &levels)
{
    beginResetModel();
    mLevels = levels;
    endResetModel();
}

void OVOpenDAPLevelTableController::setUnits(const QString &units)
{
    beginResetModel();
    mUnits = units;
    endResetModel();
}

void OVOpenDAPLevelTableController::setVariableName(const QString &name)
{
    beginResetModel();
    mVariableName = name;
    endResetModel();
}

// --- Runs ----------------------------------------------------------------------------------------

OVOpenDAPSourceTableController::OVOpenDAPSourceTableController(QObject *parent)
    : QAbstractListModel(parent)
{
}

OVOpenDAPSourceTableController::~OVOpenDAPSourceTableController() = default;

int OVOpenDAPSourceTableController::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mSources.size());
}

QVariant OVOpenDAPSourceTableController::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !isTopLevelRow(index, qsizetype(mSources.size())))
        return QVariant();
    const OVOpenDAPSourcePtr &run = mSources[size_t(index.row())];
    const QDateTime runTime = run->modelRunTime();
    if (!runTime.isValid())
        return run->baseURLString();
    if (!mModelRunTimeDateFormatter)
        mModelRunTimeDateFormatter = OVOpenDAPText::posixGMTFormat(QStringLiteral("yyyy-MM-dd HH'Z'"));
    return OVOpenDAPText::format(*mModelRunTimeDateFormatter, runTime);
}

void OVOpenDAPSourceTableController::setCollection(const OVOpenDAPCollectionPtr &collection)
{
    beginResetModel();
    mCollection = collection;
    mSources = collection ? collection->sources() : OVOpenDAPCollection::Sources();
    endResetModel();
}

// --- Variables -----------------------------------------------------------------------------------

OVOpenDAPVariableTableController::OVOpenDAPVariableTableController(QObject *parent)
    : QAbstractListModel(parent)
{
}

int OVOpenDAPVariableTableController::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !mVariables ? 0 : int(mVariables->size());
}

QVariant OVOpenDAPVariableTableController::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !mVariables || !isTopLevelRow(index, qsizetype(mVariables->size())))
        return QVariant();
    const OVOpenDAPVariablePtr &variable = (*mVariables)[size_t(index.row())];
    return QStringLiteral("%1 - %2").arg(variable->name(), variable->longName());
}

void OVOpenDAPVariableTableController::setSource(const OVOpenDAPSourcePtr &source)
{
    beginResetModel();
    mSource = source;
    mVariables = source ? source->variables() : nullptr;
    endResetModel();
}
