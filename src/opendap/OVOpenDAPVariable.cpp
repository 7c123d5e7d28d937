#include "opendap/OVOpenDAPVariable.h"

#include "opendap/OVOpenDAPFormats.h"
#include "opendap/OVOpenDAPThreading.h"
#include "platform/OVLog.h"

#include <QStringList>

std::shared_ptr<OVOpenDAPVariable> OVOpenDAPVariable::create(const QString &name)
{
    std::shared_ptr<OVOpenDAPVariable> variable(new OVOpenDAPVariable());
    variable->mName = name;
    return variable;
}

OVOpenDAPVariable::OVOpenDAPVariable()
    : mQueueLock(OVOpenDAPThreading::makeQueue("OVOpenDAP.OVOpenDAPVariable"))
{
}

OVOpenDAPVariable::~OVOpenDAPVariable()
{
    OVOpenDAPThreading::releaseQueue(std::move(mQueueLock));
}

void OVOpenDAPVariable::onQueue(const std::function<void()> &job) const
{
    mQueueLock->sync(job);
}

QString OVOpenDAPVariable::description() const
{
    QStringList names;
    onQueue([&] {
        if (const auto arguments = argumentDescriptions()) {
            for (const auto &argument : *arguments)
                names << argument.name();
        }
    });
    const QString list = names.isEmpty() ? QString() : QStringLiteral("(%1)").arg(names.join(QStringLiteral(", ")));
    return QStringLiteral("%1%2 - %3").arg(name(), list, longName());
}

std::optional<OVOpenDAPValueDescription> OVOpenDAPVariable::argumentDescriptionForName(const QString &name) const
{
    if (const auto arguments = argumentDescriptions()) {
        for (const auto &argument : *arguments) {
            if (argument.name() == name)
                return argument;
        }
    }
    return std::nullopt;
}

void OVOpenDAPVariable::importArgumentsFromString(const QString &mapsText)
{
    mQueueLock->async([self = shared_from_this(), mapsText] {
        auto arguments = std::make_shared<Arguments>();
        for (const auto &map : OVOpenDAPFormats::matchMaps(mapsText)) {
            OVOpenDAPValueDescription argument;
            argument.setName(map.name);
            argument.setTypeFromString(map.typeName);
            argument.setDimensionFromString(map.sizeText);
            arguments->push_back(argument);
        }
        self->setArgumentDescriptions(std::move(arguments));
    });
}

QString OVOpenDAPVariable::allInclusiveDimensionStringForArgument(const QString &name) const
{
    QString range;
    onQueue([&] {
        if (const auto arguments = argumentDescriptions()) {
            for (const auto &argument : *arguments) {
                if (argument.name() == name)
                    range = argument.allInclusiveDimensionString();
            }
        }
    });
    return range;
}

QString OVOpenDAPVariable::argumentsURLStringUsingValues(const QMap<QString, QString> &values) const
{
    if (values.isEmpty())
        return QString();
    QString constraint;
    bool complete = true;
    onQueue([&] {
        const auto arguments = argumentDescriptions();
        if (!arguments)
            return;
        for (const auto &argument : *arguments) {
            if (argument.name().isEmpty()) {
                complete = false;
                return;
            }
            const QString value = values.contains(argument.name()) ? values.value(argument.name())
                                                                   : argument.allInclusiveDimensionString();
            if (value.isNull()) {
                complete = false;
                return;
            }
            constraint += QStringLiteral("[%1]").arg(value);
        }
    });
    if (!complete) {
        OVLog(QStringLiteral("[OVOpenDAPVariable argumentsURLStringUsingValues] Couldn't build argument string."));
        return QString();
    }
    return constraint.isNull() ? QStringLiteral("") : constraint;
}

std::vector<OVOpenDAPValueDescription> OVOpenDAPVariable::responseOrder() const
{
    std::vector<OVOpenDAPValueDescription> order;
    onQueue([&] {
        const auto returned = returnValueDescription();
        if (!returned)
            return;
        order.push_back(*returned);
        if (const auto arguments = argumentDescriptions())
            order.insert(order.end(), arguments->begin(), arguments->end());
    });
    return order;
}

std::shared_ptr<const OVOpenDAPVariable::Arguments> OVOpenDAPVariable::importedArgumentDescriptions() const
{
    std::shared_ptr<const Arguments> arguments;
    onQueue([&] { arguments = argumentDescriptions(); });
    return arguments;
}

QString OVOpenDAPVariable::name() const
{
    return OVOpenDAPThreading::lockedCopy(mMutex, mName);
}
void OVOpenDAPVariable::setName(const QString &name)
{
    OVOpenDAPThreading::lockedAssign(mMutex, mName, name);
}
QString OVOpenDAPVariable::longName() const
{
    return OVOpenDAPThreading::lockedCopy(mMutex, mLongName);
}
void OVOpenDAPVariable::setLongName(const QString &longName)
{
    OVOpenDAPThreading::lockedAssign(mMutex, mLongName, longName);
}
double OVOpenDAPVariable::missingValue() const
{
    return OVOpenDAPThreading::lockedCopy(mMutex, mMissingValue);
}
void OVOpenDAPVariable::setMissingValue(double missingValue)
{
    OVOpenDAPThreading::lockedAssign(mMutex, mMissingValue, missingValue);
}

std::optional<OVOpenDAPValueDescription> OVOpenDAPVariable::returnValueDescription() const
{
    return OVOpenDAPThreading::lockedCopy(mMutex, mReturnValueDescription);
}

void OVOpenDAPVariable::setReturnValueDescription(const std::optional<OVOpenDAPValueDescription> &description)
{
    OVOpenDAPThreading::lockedAssign(mMutex, mReturnValueDescription, description);
}

std::shared_ptr<const OVOpenDAPVariable::Arguments> OVOpenDAPVariable::argumentDescriptions() const
{
    return OVOpenDAPThreading::lockedCopy(mMutex, mArgumentDescriptions);
}

void OVOpenDAPVariable::setArgumentDescriptions(std::shared_ptr<const Arguments> arguments)
{
    OVOpenDAPThreading::lockedAssign(mMutex, mArgumentDescriptions, arguments);
}
