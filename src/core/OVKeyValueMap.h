// A QVariantMap seen through the key-value interface, and the one way generic code reads a field
// of any record kind it is handed (a QVariantMap, an OVKeyValue, or a shared pointer to one).
#pragma once

#include "core/OVKeyValue.h"

#include <QVariantMap>

#include <memory>

/// A dictionary record: keys absent from the map read as nil; setting nil removes the key.
class OVKeyValueMap final : public OVKeyValue
{
public:
    OVKeyValueMap() = default;
    explicit OVKeyValueMap(QVariantMap map)
        : mMap(std::move(map))
    {
    }

    QVariant valueForKey(const QString &key) const override { return mMap.value(key); }
    void setValue(const QVariant &value, const QString &key) override
    {
        if (value.isNull())
            mMap.remove(key);
        else
            mMap.insert(key, value);
    }

    const QVariantMap &map() const { return mMap; }

private:
    QVariantMap mMap;
};

/// Reads `key` of a record; nil (an invalid QVariant) when the record lacks it.
inline QVariant OVValueForKey(const QVariantMap &record, const QString &key)
{
    return record.value(key);
}

inline QVariant OVValueForKey(const OVKeyValue &record, const QString &key)
{
    return record.valueForKey(key);
}

template <class T>
QVariant OVValueForKey(const std::shared_ptr<T> &record, const QString &key)
{
    return record ? OVValueForKey(*record, key) : QVariant();
}
