// A reader that spells the key again instead of using its constant.
#include "core/NBRegisteredDefaults.h"
#include <QString>
const QString kWritten = QString(NBSettingKey::sampleKey); // "sampleKey" in a comment is not counted
const QString kSpelt = QStringLiteral("sampleKey");
const QString kLonger = QStringLiteral("sampleKeyTwo");
