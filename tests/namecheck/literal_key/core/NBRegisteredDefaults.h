// The one constant of the sample key.
#pragma once
#include <QLatin1String>
namespace NBSettingKey {
inline constexpr QLatin1String sampleKey{"sampleKey"};
} // namespace NBSettingKey
