// An observer that spells the name again instead of using the constant.
#include <QString>
const QString kSample = QStringLiteral("OVNotifySample"); // "OVNotifyInComment" is not counted
