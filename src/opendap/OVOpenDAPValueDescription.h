// One typed, dimensioned value of a DAP2 dataset (an array or one of its axes), and the decoding
// of its big-endian elements.
//
// Type codes follow the DDS type names: 1 Byte, 2 Int16, 3 UInt16, 4 Int32, 5 UInt32, 6 Float32,
// 7 Float64, 8 String, 9 URL; 0 is unset. `sizeForType` is the element's own size (String and URL
// have none). A data reply widens some types on the wire; see `wireSizeForType`.
// A plain value: copy it freely, read it from any thread.
#pragma once

#include <QString>

#include <cstdint>

class OVOpenDAPValueDescription
{
public:
    enum Type : int32_t {
        None = 0,
        Byte = 1,
        Int16 = 2,
        UInt16 = 3,
        Int32 = 4,
        UInt32 = 5,
        Float32 = 6,
        Float64 = 7,
        String = 8,
        URL = 9,
    };

    /// Bytes of one element of the type: 1, 2, 2, 4, 4, 4, 8; 0 for String, URL and unset.
    static int64_t sizeForType(int32_t type);
    /// Bytes one element takes in an XDR data reply: Int16 and UInt16 travel as 32-bit words;
    /// Byte arrays are packed (and padded as a whole to a multiple of 4).
    static int64_t wireSizeForType(int32_t type);
    /// The element at `source` (its first byte, big-endian) widened to double; 0 for the types
    /// without a size.
    static double floatFromSource(const unsigned char *source, int32_t type);
    /// The element as an integer; floats are rounded to the nearest, halves away from zero.
    static int64_t integerFromSource(const unsigned char *source, int32_t type);
    /// The code for one of the nine DDS type names (exact case); 0 for any other text.
    static int32_t typeFromString(QStringView typeName);

    QString name() const { return mName; }
    void setName(const QString &name) { mName = name; }
    int32_t type() const { return mType; }
    void setType(int32_t type) { mType = type; }
    int64_t dimension() const { return mDimension; }
    void setDimension(int64_t dimension) { mDimension = dimension; }

    /// Sets the type from a DDS type name; any other text leaves it unchanged.
    void setTypeFromString(QStringView typeName);
    /// The text's leading integer; 0 when that is below 1.
    void setDimensionFromString(QStringView text);
    /// "0:<dimension - 1>", the whole axis; null when the dimension is below 1.
    QString allInclusiveDimensionString() const;

    int64_t typeSize() const { return sizeForType(mType); }
    double floatFromSource(const unsigned char *source) const { return floatFromSource(source, mType); }
    int64_t integerFromSource(const unsigned char *source) const { return integerFromSource(source, mType); }

private:
    QString mName;
    int32_t mType = None;
    int64_t mDimension = 0;
};
