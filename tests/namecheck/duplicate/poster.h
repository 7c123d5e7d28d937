// A name declared by its poster.
#include <QString>
inline const QString OVNotifySample = QStringLiteral("OVNotifySample");
