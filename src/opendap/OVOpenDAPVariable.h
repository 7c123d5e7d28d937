// One gridded data variable of a DAP2 dataset: the description of its array and of its axes
// (the Grid's maps, here called arguments) in declaration order, and the constraint expression
// for a choice of indexes.
//
// Threads: the argument list is replaced whole (an immutable list swapped under a mutex) by an
// import queued on the variable's own serial queue; `description`, `allInclusiveDimensionString`,
// `argumentsURLStringUsingValues` and `responseOrder` read it on that queue, so they see every
// import queued before them. The other members sit behind one mutex. Jobs hold a shared_ptr to
// the variable.
#pragma once

#include "opendap/OVOpenDAPValueDescription.h"

#include <QMap>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class OVSerialQueue;

class OVOpenDAPVariable : public std::enable_shared_from_this<OVOpenDAPVariable>
{
public:
    using Arguments = std::vector<OVOpenDAPValueDescription>;

    static std::shared_ptr<OVOpenDAPVariable> create(const QString &name = QString());
    ~OVOpenDAPVariable();
    OVOpenDAPVariable(const OVOpenDAPVariable &) = delete;
    OVOpenDAPVariable &operator=(const OVOpenDAPVariable &) = delete;

    /// "name(arg, arg, ...) - long name".
    QString description() const;
    /// The first argument of that exact name (read without the queue).
    std::optional<OVOpenDAPValueDescription> argumentDescriptionForName(const QString &name) const;
    /// Parses a Grid's map declarations and replaces the arguments, later, on the queue.
    void importArgumentsFromString(const QString &mapsText);
    /// The whole range "0:n-1" of the (last) argument of that name; null when there is none.
    QString allInclusiveDimensionStringForArgument(const QString &name) const;
    /// "[v][v]..." with each argument's value from `values`, else its whole range; null (and a
    /// log line) when an argument has no name or no value, or when `values` is empty.
    QString argumentsURLStringUsingValues(const QMap<QString, QString> &values) const;
    /// The order of the arrays in a reply: the array itself, then the arguments. Empty when the
    /// variable has no array description (the DAS named it, the DDS declared no Grid for it).
    std::vector<OVOpenDAPValueDescription> responseOrder() const;
    /// The arguments as every import queued so far left them (read on the queue).
    std::shared_ptr<const Arguments> importedArgumentDescriptions() const;

    QString name() const;
    void setName(const QString &name);
    QString longName() const;
    void setLongName(const QString &longName);
    std::optional<OVOpenDAPValueDescription> returnValueDescription() const;
    void setReturnValueDescription(const std::optional<OVOpenDAPValueDescription> &description);
    std::shared_ptr<const Arguments> argumentDescriptions() const;
    void setArgumentDescriptions(std::shared_ptr<const Arguments> arguments);
    double missingValue() const;
    void setMissingValue(double missingValue);

private:
    OVOpenDAPVariable();
    // Runs `job` on the queue and returns when it ran.
    void onQueue(const std::function<void()> &job) const;
    template <class T>
    T locked(const T &member) const
    {
        std::lock_guard lock(mMutex);
        return member;
    }
    template <class T>
    void setLocked(T &member, const T &value)
    {
        std::lock_guard lock(mMutex);
        member = value;
    }

    std::shared_ptr<OVSerialQueue> mQueueLock;
    mutable std::mutex mMutex;
    QString mName;
    QString mLongName;
    std::optional<OVOpenDAPValueDescription> mReturnValueDescription;
    std::shared_ptr<const Arguments> mArgumentDescriptions;
    double mMissingValue = 0.0;
};

using OVOpenDAPVariablePtr = std::shared_ptr<OVOpenDAPVariable>;
