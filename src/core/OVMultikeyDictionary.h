// A map from a pair of keys to a value, for the small caches of the map's tile layers (tiles keyed
// by column and row) and other two-part keys.
//
// The key mode is fixed at creation: two signed 64-bit integers, or two QVariants compared with
// `==` (an invalid QVariant is an absent key). Entries live in storage order and are searched
// linearly, which suits caches of a few dozen entries; the storage grows and shrinks in steps of
// ten. The setters carry the key mode in their names, so an integer literal never picks the
// wrong mode. Removing an entry moves the last one into its place. Misuse (an absent key, an operation
// of the other key mode) throws OVMultikeyDictionaryMisuse and changes nothing.
// No lock inside: the owner serialises access.
#pragma once

#include <QDebug>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

/// Thrown for misuse of an OVMultikeyDictionary; `what()` names the operation and the fault.
class OVMultikeyDictionaryMisuse : public std::logic_error
{
public:
    using std::logic_error::logic_error;
};

enum class OVMultikeyDictionaryMode : int { Integer = 0, Object = 1 };

template <typename Value>
class OVMultikeyDictionary
{
public:
    /// An empty integer-keyed dictionary.
    OVMultikeyDictionary() : OVMultikeyDictionary(OVMultikeyDictionaryMode::Integer) {}
    explicit OVMultikeyDictionary(OVMultikeyDictionaryMode mode) : mMode(mode) { resizeToCapacity(kStep); }

    static OVMultikeyDictionary integerKeyed() { return OVMultikeyDictionary(OVMultikeyDictionaryMode::Integer); }
    static OVMultikeyDictionary objectKeyed() { return OVMultikeyDictionary(OVMultikeyDictionaryMode::Object); }

    std::optional<Value> objectForIntegerKey(qint64 a, qint64 b) const
    {
        requireMode(OVMultikeyDictionaryMode::Integer, "objectForIntegerKey:integerKey:");
        return valueAt(indexMatching(Key{a, {}}, Key{b, {}}));
    }
    /// Stores `value` under the pair; no value removes the pair.
    void setObjectForIntegerKey(std::optional<Value> value, qint64 a, qint64 b)
    {
        requireMode(OVMultikeyDictionaryMode::Integer, "setObject:forIntegerKey:integerKey:");
        store(std::move(value), Key{a, {}}, Key{b, {}});
    }
    void removeObjectForIntegerKey(qint64 a, qint64 b)
    {
        requireMode(OVMultikeyDictionaryMode::Integer, "removeObjectForIntegerKey:integerKey:");
        remove(Key{a, {}}, Key{b, {}});
    }

    std::optional<Value> objectForObjectKey(const QVariant &a, const QVariant &b) const
    {
        requireObjectKeys(a, b, "objectForObjectKey:objectKey:");
        return valueAt(indexMatching(Key{0, a}, Key{0, b}));
    }
    /// Stores `value` under the pair; no value removes the pair.
    void setObjectForObjectKey(std::optional<Value> value, const QVariant &a, const QVariant &b)
    {
        requireObjectKeys(a, b, "setObject:forObjectKey:objectKey:");
        store(std::move(value), Key{0, a}, Key{0, b});
    }
    void removeObjectForObjectKey(const QVariant &a, const QVariant &b)
    {
        requireObjectKeys(a, b, "removeObjectForObjectKey:objectKey:");
        remove(Key{0, a}, Key{0, b});
    }

    /// The values in storage order.
    QList<Value> allValues() const
    {
        QList<Value> result;
        result.reserve(qsizetype(mEntries.size()));
        for (const Entry &entry : mEntries)
            result.append(entry.value);
        return result;
    }

    void removeAllObjects()
    {
        mEntries.clear();
        checkSize();
    }

    size_t count() const { return mEntries.size(); }
    /// Slots held: 10 when new, then 10 more than needed, in steps of ten.
    size_t capacity() const { return mCapacity; }
    OVMultikeyDictionaryMode dictionaryMode() const { return mMode; }

    QString description() const
    {
        const bool integer = mMode == OVMultikeyDictionaryMode::Integer;
        QString text = QStringLiteral("OVMultikeyDictionary(Count: %1, Capacity: %2, Type: %3) {\n")
                           .arg(mEntries.size())
                           .arg(mCapacity)
                           .arg(integer ? QStringLiteral("Integer") : QStringLiteral("Object"));
        for (const Entry &entry : mEntries) {
            const QString a = integer ? QString::number(entry.a.number) : describe(entry.a.object);
            const QString b = integer ? QString::number(entry.b.number) : describe(entry.b.object);
            text += QStringLiteral("  KeyA: %1   KeyB: %2   Value: %3\n").arg(a, b, describe(entry.value));
        }
        return text + QStringLiteral("}");
    }

private:
    static constexpr size_t kStep = 10;
    static constexpr size_t kNotFound = size_t(-1);

    struct Key
    {
        qint64 number = 0;
        QVariant object;
    };
    struct Entry
    {
        Key a;
        Key b;
        Value value;
    };

    [[noreturn]] static void fail(const char *operation, const char *fault)
    {
        throw OVMultikeyDictionaryMisuse(std::string("[OVMultikeyDictionary ") + operation + "] " + fault);
    }

    void requireMode(OVMultikeyDictionaryMode mode, const char *operation) const
    {
        if (mMode != mode)
            fail(operation, mode == OVMultikeyDictionaryMode::Integer ? "Dictionary isn't in integer mode."
                                                                       : "Dictionary isn't in object mode.");
    }

    // The key check comes before the mode check.
    void requireObjectKeys(const QVariant &a, const QVariant &b, const char *operation) const
    {
        if (!a.isValid() || !b.isValid())
            fail(operation, "A key was nil.");
        requireMode(OVMultikeyDictionaryMode::Object, operation);
    }

    bool matches(const Entry &entry, const Key &a, const Key &b) const
    {
        if (mMode == OVMultikeyDictionaryMode::Integer)
            return entry.a.number == a.number && entry.b.number == b.number;
        return entry.a.object == a.object && entry.b.object == b.object;
    }

    size_t indexMatching(const Key &a, const Key &b) const
    {
        for (size_t i = 0; i < mEntries.size(); ++i) {
            if (matches(mEntries[i], a, b))
                return i;
        }
        return kNotFound;
    }

    std::optional<Value> valueAt(size_t index) const
    {
        if (index == kNotFound)
            return std::nullopt;
        return mEntries[index].value;
    }

    void store(std::optional<Value> value, Key a, Key b)
    {
        if (!value) {
            remove(a, b);
            return;
        }
        const size_t index = indexMatching(a, b);
        if (index != kNotFound) {
            mEntries[index].value = std::move(*value);
            return;
        }
        checkSize();
        mEntries.push_back(Entry{std::move(a), std::move(b), std::move(*value)});
    }

    void remove(const Key &a, const Key &b)
    {
        const size_t index = indexMatching(a, b);
        if (index == kNotFound)
            return;
        if (index + 1 != mEntries.size())
            mEntries[index] = std::move(mEntries.back());
        mEntries.pop_back();
        checkSize();
    }

    // Runs before every append and after every removal: grow when the next entry would fill the
    // last slot, shrink when twenty or more slots stand empty.
    void checkSize()
    {
        if (mEntries.size() + 1 >= mCapacity)
            resizeToCapacity(mCapacity + kStep);
        if (mCapacity > 2 * kStep && mCapacity - 2 * kStep >= mEntries.size())
            resizeToCapacity(mEntries.size() + kStep);
    }

    void resizeToCapacity(size_t capacity)
    {
        std::vector<Entry> resized;
        resized.reserve(capacity);
        for (Entry &entry : mEntries)
            resized.push_back(std::move(entry));
        mEntries = std::move(resized);
        mCapacity = capacity;
    }

    template <typename T>
    static QString describe(const T &value)
    {
        if constexpr (std::is_constructible_v<QVariant, T>) {
            return QVariant(value).toString();
        } else {
            QString text;
            QDebug(&text).noquote().nospace() << value;
            return text;
        }
    }

    OVMultikeyDictionaryMode mMode;
    size_t mCapacity = 0;
    std::vector<Entry> mEntries;
};
