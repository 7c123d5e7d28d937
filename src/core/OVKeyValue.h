// The small key-value interface through which generic code reads and writes the fields of a
// record by name: the SQLite layer's object select and batch insert, and the array date helpers.
// Records such as the weather conditions and the weather location implement it; plain
// dictionaries go through OVKeyValueMap.
#pragma once

#include <QString>
#include <QVariant>

/// A record whose fields can be read and written by key.
class OVKeyValue
{
public:
    virtual ~OVKeyValue() = default;

    /// The value stored under `key`; an invalid (or null) QVariant stands for nil and for a key
    /// the record does not have.
    virtual QVariant valueForKey(const QString &key) const = 0;

    /// Stores `value` under `key`; a null QVariant stores nil.
    virtual void setValue(const QVariant &value, const QString &key) = 0;
};
