// List models for browsing the OpenDAP client: the product collections, the runs of one
// collection, the variables of one run and the vertical levels of one variable. Each gives one
// display text per row; setting its list resets the model. A view shows them; nothing in the
// program makes one yet. Main thread, like every Qt model.
#pragma once

#include "opendap/OVOpenDAPCollection.h"

#include <QAbstractListModel>
#include <QStringList>

#include <unicode/smpdtfmt.h>

#include <memory>
#include <vector>

/// The short labels of every product, in plain text order.
class OVOpenDAPCollectionTableController : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit OVOpenDAPCollectionTableController(QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    QStringList collectionNames() const { return mCollectionNames; }
    void setCollectionNames(const QStringList &names);

private:
    QStringList mCollectionNames;
};

/// The levels of a variable as "850 mb"; a variable with one level reads by its name.
class OVOpenDAPLevelTableController : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit OVOpenDAPLevelTableController(QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    /// The text of a row; null outside the list.
    QString textForRow(int row) const;

    std::vector<double> levels() const { return mLevels; }
    void setLevels(const std::vector<double> &levels);
    QString units() const { return mUnits; }
    void setUnits(const QString &units);
    QString variableName() const { return mVariableName; }
    void setVariableName(const QString &name);

private:
    std::vector<double> mLevels;
    QString mUnits = QStringLiteral("mb");
    QString mVariableName;
};

/// The runs of a collection by run time ("2024-03-19 18Z"), or by address without one.
class OVOpenDAPSourceTableController : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit OVOpenDAPSourceTableController(QObject *parent = nullptr);
    ~OVOpenDAPSourceTableController() override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    OVOpenDAPCollectionPtr collection() const { return mCollection; }
    /// Shows the collection's runs as they are now; set it again after a discovery.
    void setCollection(const OVOpenDAPCollectionPtr &collection);

private:
    OVOpenDAPCollectionPtr mCollection;
    OVOpenDAPCollection::Sources mSources;
    mutable std::unique_ptr<icu::SimpleDateFormat> mModelRunTimeDateFormatter; // made on first use
};

/// The variables of a run as "name - long name".
class OVOpenDAPVariableTableController : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit OVOpenDAPVariableTableController(QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    OVOpenDAPSourcePtr source() const { return mSource; }
    /// Shows the run's variables as they are now; set it again after its documents load.
    void setSource(const OVOpenDAPSourcePtr &source);

private:
    OVOpenDAPSourcePtr mSource;
    std::shared_ptr<const OVOpenDAPSource::Variables> mVariables;
};
