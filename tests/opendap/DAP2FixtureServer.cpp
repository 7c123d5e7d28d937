#include "DAP2FixtureServer.h"

#include "support/TestHelpers.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

struct Dimension
{
    QString name;
    qint64 size = 0;
};

struct ArrayDeclaration
{
    QString type;
    QString name;
    std::vector<Dimension> dimensions;
    qint64 offset = 0; // of its count word, from the start of the XDR part
};

struct Variable
{
    bool grid = false;
    QString name;
    ArrayDeclaration array;
    std::vector<ArrayDeclaration> maps;
};

struct StoredReply
{
    QString datasetName;
    std::vector<Variable> variables;
    QByteArray xdr;
};

// One bracket of a hyperslab: start, stride, stop (inclusive).
struct Slab
{
    qint64 start, stride, stop;
    qint64 count() const { return (stop - start) / stride + 1; }
};

struct Selection
{
    size_t variable;         // index into the stored variables
    bool arrayAlone = false; // a Grid's array without its maps
    std::vector<Slab> slabs; // empty: whole
};

qint64 wireSize(const QString &type)
{
    if (type == u"Byte")
        return 1;
    if (type == u"Float64")
        return 8;
    return 4; // Int16 and UInt16 travel as 32-bit words, like the 32-bit types
}

quint32 load32(const QByteArray &bytes, qint64 at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData()) + at;
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

void append32(QByteArray &out, quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

std::optional<ArrayDeclaration> parseDeclaration(const QString &line)
{
    static const QRegularExpression declaration(QStringLiteral(R"(^(\w+)\s+(\S+?)((?:\[[^\]]*\])+);$)"));
    static const QRegularExpression dimension(QStringLiteral(R"(\[(?:(\S+)\s*=\s*)?(\d+)\])"));
    const auto match = declaration.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    ArrayDeclaration array{match.captured(1), match.captured(2), {}, 0};
    for (auto it = dimension.globalMatch(match.captured(3)); it.hasNext();) {
        const auto d = it.next();
        array.dimensions.push_back({d.captured(1), d.captured(2).toLongLong()});
    }
    return array;
}

qint64 elementCount(const std::vector<Dimension> &dimensions)
{
    qint64 count = 1;
    for (const auto &d : dimensions)
        count *= d.size;
    return count;
}

std::optional<StoredReply> parseStored(const QByteArray &stored)
{
    const qsizetype separator = stored.indexOf("\nData:\n");
    if (separator < 0)
        return std::nullopt;
    StoredReply reply;
    reply.xdr = stored.mid(separator + 7);
    enum { Top, GridArray, GridMaps } state = Top;
    Variable grid;
    for (const QString &raw : QString::fromLatin1(stored.left(separator)).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line == u"Dataset {")
            continue;
        if (line == u"Grid {") {
            grid = Variable{true, {}, {}, {}};
        } else if (line == u"ARRAY:") {
            state = GridArray;
        } else if (line == u"MAPS:") {
            state = GridMaps;
        } else if (line.startsWith(u'}')) {
            const QString name = line.mid(1).chopped(1).trimmed();
            if (state == Top) {
                reply.datasetName = name;
            } else {
                grid.name = name;
                reply.variables.push_back(grid);
                state = Top;
            }
        } else if (auto array = parseDeclaration(line)) {
            if (state == Top)
                reply.variables.push_back(Variable{false, array->name, *array, {}});
            else if (state == GridArray)
                grid.array = *array;
            else
                grid.maps.push_back(*array);
        } else {
            return std::nullopt; // scalars, Structures and Sequences are not served
        }
    }
    qint64 offset = 0;
    const auto place = [&](ArrayDeclaration &array) {
        array.offset = offset;
        const qint64 bytes = elementCount(array.dimensions) * wireSize(array.type);
        offset += 8 + (array.type == u"Byte" ? (bytes + 3) / 4 * 4 : bytes);
    };
    for (auto &variable : reply.variables) {
        place(variable.array);
        for (auto &map : variable.maps)
            place(map);
    }
    if (offset > reply.xdr.size())
        return std::nullopt;
    return reply;
}

std::optional<std::vector<Slab>> parseSlabs(const QString &text)
{
    std::vector<Slab> slabs;
    static const QRegularExpression bracket(QStringLiteral(R"(\[(\d+)(?::(\d+))?(?::(\d+))?\])"));
    qsizetype position = 0;
    for (auto it = bracket.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        if (m.capturedStart() != position)
            return std::nullopt;
        position = m.capturedEnd();
        const qint64 a = m.captured(1).toLongLong();
        if (m.captured(2).isEmpty())
            slabs.push_back({a, 1, a});
        else if (m.captured(3).isEmpty())
            slabs.push_back({a, 1, m.captured(2).toLongLong()});
        else
            slabs.push_back({a, m.captured(2).toLongLong(), m.captured(3).toLongLong()});
    }
    if (position != text.size())
        return std::nullopt;
    return slabs;
}

bool slabsFit(const std::vector<Slab> &slabs, const std::vector<Dimension> &dimensions)
{
    if (slabs.empty())
        return true;
    if (slabs.size() != dimensions.size())
        return false;
    for (size_t i = 0; i < slabs.size(); ++i) {
        const Slab &s = slabs[i];
        if (s.stride < 1 || s.start > s.stop || s.stop >= dimensions[i].size)
            return false;
    }
    return true;
}

std::vector<Slab> wholeSlabs(const std::vector<Dimension> &dimensions)
{
    std::vector<Slab> slabs;
    for (const auto &d : dimensions)
        slabs.push_back({0, 1, d.size - 1});
    return slabs;
}

// The declaration and XDR of the array cut by the slabs (one per dimension).
void cutArray(const StoredReply &reply, const ArrayDeclaration &array, const std::vector<Slab> &slabs,
              const QString &indent, QString &dds, QByteArray &xdr)
{
    dds += indent + array.type + u' ' + array.name;
    qint64 count = 1;
    for (size_t i = 0; i < slabs.size(); ++i) {
        dds += QStringLiteral("[%1 = %2]").arg(array.dimensions[i].name).arg(slabs[i].count());
        count *= slabs[i].count();
    }
    dds += QStringLiteral(";\n");
    append32(xdr, quint32(count));
    append32(xdr, quint32(count));
    const qint64 width = wireSize(array.type);
    const qint64 data = array.offset + 8;
    const qsizetype begin = xdr.size();
    // Walk the selected indexes in row-major order.
    std::vector<qint64> index(slabs.size());
    for (size_t i = 0; i < slabs.size(); ++i)
        index[i] = slabs[i].start;
    for (qint64 n = 0; n < count; ++n) {
        qint64 flat = 0;
        for (size_t i = 0; i < slabs.size(); ++i)
            flat = flat * array.dimensions[i].size + index[i];
        xdr.append(reply.xdr.constData() + data + flat * width, width);
        for (size_t i = slabs.size(); i-- > 0;) {
            index[i] += slabs[i].stride;
            if (index[i] <= slabs[i].stop)
                break;
            index[i] = slabs[i].start;
        }
    }
    while ((xdr.size() - begin) % 4 != 0)
        xdr.append('\0');
}

FixtureResponse dapError(int status, const QString &message)
{
    FixtureResponse response = FixtureResponse::text(
        QStringLiteral("Error {\n    code = 1001;\n    message = \"%1\";\n};\n").arg(message).toUtf8(), "text/plain",
        status);
    response.headers.append(qMakePair(QByteArray("Content-Description"), QByteArray("dods_error")));
    response.headers.append(qMakePair(QByteArray("XDODS-Server"), QByteArray("dods/3.2")));
    return response;
}

struct Cut
{
    QString dds;
    QByteArray xdr;
    std::optional<FixtureResponse> error;
};

Cut cutReply(const StoredReply &reply, const QString &constraint)
{
    std::vector<Selection> selections;
    for (const QString &clause : QUrl::fromPercentEncoding(constraint.toLatin1()).split(u',', Qt::SkipEmptyParts)) {
        const qsizetype bracket = clause.indexOf(u'[');
        const QString name = bracket < 0 ? clause : clause.left(bracket);
        const auto slabs = parseSlabs(bracket < 0 ? QString() : clause.mid(bracket));
        if (!slabs)
            return {{}, {}, dapError(400, QStringLiteral("Malformed constraint: %1").arg(clause))};
        std::optional<Selection> selection;
        for (size_t i = 0; i < reply.variables.size() && !selection; ++i) {
            const Variable &v = reply.variables[i];
            if (v.name == name)
                selection = Selection{i, false, *slabs};
            else if (v.grid && (name == v.name + u'.' + v.array.name))
                selection = Selection{i, true, *slabs};
        }
        for (size_t i = 0; i < reply.variables.size() && !selection; ++i) {
            if (reply.variables[i].grid && reply.variables[i].array.name == name)
                selection = Selection{i, true, *slabs};
        }
        if (!selection)
            return {{}, {}, dapError(400, QStringLiteral("No such variable: %1").arg(name))};
        if (!slabsFit(selection->slabs, reply.variables[selection->variable].array.dimensions))
            return {{}, {}, dapError(400, QStringLiteral("Invalid hyperslab: %1").arg(clause))};
        selections.push_back(*selection);
    }
    std::stable_sort(selections.begin(), selections.end(),
                     [](const Selection &a, const Selection &b) { return a.variable < b.variable; });

    Cut cut;
    cut.dds = QStringLiteral("Dataset {\n");
    for (const Selection &s : selections) {
        const Variable &v = reply.variables[s.variable];
        const auto slabs = s.slabs.empty() ? wholeSlabs(v.array.dimensions) : s.slabs;
        if (!v.grid) {
            cutArray(reply, v.array, slabs, QStringLiteral("    "), cut.dds, cut.xdr);
        } else if (s.arrayAlone) {
            cut.dds += QStringLiteral("    Structure {\n");
            cutArray(reply, v.array, slabs, QStringLiteral("        "), cut.dds, cut.xdr);
            cut.dds += QStringLiteral("    } %1;\n").arg(v.name);
        } else {
            cut.dds += QStringLiteral("    Grid {\n     ARRAY:\n");
            cutArray(reply, v.array, slabs, QStringLiteral("        "), cut.dds, cut.xdr);
            cut.dds += QStringLiteral("     MAPS:\n");
            for (size_t i = 0; i < v.maps.size(); ++i)
                cutArray(reply, v.maps[i], {slabs[i]}, QStringLiteral("        "), cut.dds, cut.xdr);
            cut.dds += QStringLiteral("    } %1;\n").arg(v.name);
        }
    }
    cut.dds += QStringLiteral("} %1;\n").arg(reply.datasetName);
    return cut;
}

FixtureResponse withHeaders(FixtureResponse response, const QByteArray &description)
{
    response.headers.append(qMakePair(QByteArray("Content-Description"), description));
    response.headers.append(qMakePair(QByteArray("XDODS-Server"), QByteArray("dods/3.2")));
    return response;
}

} // namespace

DAP2FixtureServer::DAP2FixtureServer(FixtureHttpServer &http)
    : mHttp(http)
{
}

QString DAP2FixtureServer::baseUrl(const QString &name) const
{
    return mHttp.baseUrl() + u'/' + name;
}

void DAP2FixtureServer::setSwitches(const QString &path, const Switches &switches)
{
    std::lock_guard lock(mMutex);
    mSwitches.insert(path, switches);
}

void DAP2FixtureServer::serveDataset(const QString &name, const QString &folder, const QString &urlPath)
{
    const QString base = urlPath.isEmpty() ? u'/' + name : urlPath;
    for (const QString kind : {QStringLiteral("dds"), QStringLiteral("das"), QStringLiteral("dods")}) {
        const QString path = QStringLiteral("%1.%2").arg(base, kind);
        const QString file = QStringLiteral("%1/%2.%3").arg(folder, name, kind);
        mHttp.route("", path, [this, path, file, kind, folder, name](const FixtureRequest &request) {
            return answer(path,
                          kind == u"dds" && !request.query.isEmpty() ? folder + u'/' + name + QStringLiteral(".dods")
                                                                     : file,
                          kind, request.query);
        });
    }
}

FixtureResponse DAP2FixtureServer::dataResponse(const QByteArray &stored, const QString &constraint)
{
    if (constraint.isEmpty())
        return withHeaders(FixtureResponse::text(stored, "application/octet-stream"), "dods_data");
    const auto reply = parseStored(stored);
    if (!reply)
        return dapError(500, QStringLiteral("The stored reply cannot be cut."));
    Cut cut = cutReply(*reply, constraint);
    if (cut.error)
        return *cut.error;
    return withHeaders(FixtureResponse::text(cut.dds.toLatin1() + "\nData:\n" + cut.xdr, "application/octet-stream"),
                       "dods_data");
}

FixtureResponse DAP2FixtureServer::structureResponse(const QByteArray &storedReply, const QString &constraint)
{
    const auto reply = parseStored(storedReply);
    if (!reply)
        return dapError(500, QStringLiteral("The stored reply cannot be cut."));
    Cut cut = cutReply(*reply, constraint);
    if (cut.error)
        return *cut.error;
    return withHeaders(FixtureResponse::text(cut.dds.toLatin1()), "dods_dds");
}

FixtureResponse DAP2FixtureServer::answer(const QString &path, const QString &file, const QString &kind,
                                          const QString &query)
{
    Switches switches;
    {
        std::lock_guard lock(mMutex);
        auto it = mSwitches.find(path);
        if (it != mSwitches.end() && it->times != 0) {
            switches = *it;
            if (it->times > 0)
                --it->times;
        }
    }
    if (switches.status != 0)
        return dapError(switches.status, QStringLiteral("Switched to fail."));

    const QByteArray stored = readTestFile(file);
    FixtureResponse response;
    if (kind == u"dods")
        response = dataResponse(stored, query);
    else if (kind == u"dds" && !query.isEmpty())
        response = structureResponse(stored, query);
    else
        response = withHeaders(FixtureResponse::text(stored), kind == u"dds" ? "dods_dds" : "dods_das");
    response.gate = switches.gate;
    if (response.status != 200)
        return response;

    QByteArray &body = response.body;
    if (switches.garbage) {
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char(0x80 + (i * 37) % 113);
    }
    if (switches.oneRowFewer) {
        const qsizetype start = body.indexOf("\nData:\n");
        const auto reply = parseStored(body);
        if (start >= 0 && reply && !reply->variables.empty()) {
            const ArrayDeclaration &first = reply->variables.front().array;
            const qint64 row = first.dimensions.back().size * wireSize(first.type);
            const qint64 end = start + 7 + first.offset + 8 + elementCount(first.dimensions) * wireSize(first.type);
            body.remove(end - row, row);
        }
    }
    if (switches.noSeparator)
        body.replace("\nData:\n", "\n");
    if (switches.cutBytes > 0)
        body.chop(std::min<qsizetype>(switches.cutBytes, body.size()));
    return response;
}
