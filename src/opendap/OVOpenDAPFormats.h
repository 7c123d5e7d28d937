// The DAP2 documents and replies as pure functions: the attribute document (DAS) walk, the
// matching of Grid and map declarations in the structure document (DDS), the layout of a DDS
// as a reply's array order, and the decoding of an XDR data reply into doubles.
//
// Text or bytes in; values, or a typed error with the offset (in bytes of a reply, in characters
// of a document) where reading stopped, out. No logging, no shared state: any thread.
// The dataset source, the array request, the fuzz target and the benchmark share them.
#pragma once

#include "opendap/OVOpenDAPValueDescription.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace OVOpenDAPFormats {

/// The value an axis attribute gets when the DAS names it without a readable value.
inline constexpr double kUnreadableDouble = 2.2250738585072014e-308;
inline constexpr int64_t kUnreadableInteger = INT64_MIN;

struct FormatError
{
    enum class Kind {
        NoData,              // the reply had no bytes
        NoSeparator,         // no "Data:\n" line before the XDR part
        ShortHeader,         // fewer than 8 bytes left for an array's count words
        ZeroValueSize,       // an array of a type without an element size (String, URL, unset)
        ShortField,          // the count asks for more elements than the bytes left hold
        NoGrid,              // the DDS declares no Grid
        UnreadableAttribute, // a DAS axis attribute without a value
        BadDeclaration,      // a DDS that does not follow the grammar, or declares what we cannot lay out
        CountMismatch,       // an array's count is not the element count its declaration gives
        TypeMismatch,        // a reply declares an array with another type than the dataset does
    };
    Kind kind;
    int64_t offset = 0;
    /// The entry of the array order the error is about (count and type mismatches).
    size_t entry = 0;

    /// Whether downloading the reply again may help: the array layout errors.
    bool isLayoutError() const
    {
        return kind == Kind::ShortHeader || kind == Kind::ZeroValueSize || kind == Kind::ShortField;
    }
};

// --- DAS ------------------------------------------------------------------------------------

/// The dataset's axes as far as a DAS names them; an unset member was not mentioned.
struct DASAxes
{
    std::optional<double> latitudeMin, latitudeMax, latitudeResolution;
    std::optional<int64_t> latitudeSize;
    std::optional<double> longitudeMin, longitudeMax, longitudeResolution;
    std::optional<int64_t> longitudeSize;
    std::optional<int64_t> numberOfSteps;
    /// Set when the "time" block names a minimum; an invalid date when it does not parse.
    std::optional<QDateTime> modelRunTime;
    /// Seconds (the DAS gives days).
    std::optional<double> stepInterval;
};

/// One attribute block of the DAS (blocks of the same name merged, in order of first opening).
struct DASBlock
{
    QString name;
    std::optional<QString> longName;
    std::optional<double> missingValue;
};

struct DASContents
{
    DASAxes axes;
    std::vector<DASBlock> blocks;
    /// The first axis attribute named without a value; the walk goes on past it.
    std::optional<FormatError> unreadable;
};

DASContents walkDAS(const QString &text);
/// The second blank-separated piece of a trimmed DAS line; null when there is none.
QString variableNameFromLine(const QString &line);
/// The text behind the second blank or tab, trimmed of semicolons, double quotes and blanks;
/// null when the line has fewer than two separators or one of them ends it.
QString variableValueFromLine(const QString &line);
/// A downloaded document or listing as ASCII text; null when there is none or it holds other
/// bytes.
QString asciiText(const QByteArray &data);
/// A downloaded attribute document as text: UTF-8 when the bytes are valid UTF-8, else Latin-1
/// (servers write attribute values such as "température" in either) when it begins with
/// "Attributes"; null when there is none or it is other bytes.
QString attributeText(const QByteArray &data);
/// A GrADS time "HHzDDmonYYYY" in GMT; invalid for any other text or an unknown month.
QDateTime parseDate(const QString &text);

// --- DDS ------------------------------------------------------------------------------------

struct GridDeclaration
{
    QString typeName; // of the array
    QString arrayName;
    QString mapsText; // the declarations between "MAPS:" and the closing brace
    QString gridName;
};

struct GridMatch
{
    std::vector<GridDeclaration> grids;
    std::optional<FormatError> error; // NoGrid when there is none
};

/// Every Grid declaration of the DDS, in order. Names are case-sensitive.
GridMatch matchGrids(const QString &dds);

struct MapDeclaration
{
    QString typeName;
    QString name;
    QString sizeText;
};

/// The "type name[name = size];" declarations of a Grid's map text, in order.
std::vector<MapDeclaration> matchMaps(const QString &mapsText);

struct ResponseLayout
{
    std::vector<OVOpenDAPValueDescription> order;
    std::optional<FormatError> error;
};

/// The arrays of a DDS in the order a data reply sends them (a Grid: its array, then its maps),
/// each with its name, type and element count. Scalars, Structures and Sequences are refused.
ResponseLayout responseLayoutFromDDS(const QString &dds);

// --- Data reply -------------------------------------------------------------------------------

/// Offset of the XDR part: right behind the first "Data:\n"; -1 when there is none.
int64_t xdrOffset(std::span<const unsigned char> reply);

struct DecodedReply
{
    /// One array per entry of the order that held elements.
    std::vector<std::vector<double>> arrays;
    /// Entries of the order whose count was 0 (no array added for them).
    std::vector<size_t> emptyEntries;
    std::optional<FormatError> error;
};

/// Decodes a whole ".dods" reply: the text header up to "Data:\n", then for each type of
/// `types` an XDR array (count, count again, elements). Nothing is allocated for an array whose
/// count exceeds the bytes left. When `counts` is given (one per type; -1 where unknown: any
/// count but 0), an array whose count differs from its entry is a CountMismatch, checked after
/// the ShortField check.
DecodedReply decodeDataReply(std::span<const unsigned char> reply, std::span<const int32_t> types,
                             std::span<const int64_t> counts = {});

/// Decodes a reply of the arrays the dataset's structure document gives, in order (`expected`:
/// their types), against what the reply's own header declares: a declared array of another type
/// is a TypeMismatch, an array whose count is not its declared element count a CountMismatch
/// (a count of 0 included, so no later array moves into its place). A header that does not lay
/// out (a Structure, say) declares no counts; its arrays are then read with the expected types,
/// and a count of 0 is still a CountMismatch, as no array we ask for can be empty.
DecodedReply decodeCheckedReply(std::span<const unsigned char> reply, std::span<const int32_t> expected);

} // namespace OVOpenDAPFormats
