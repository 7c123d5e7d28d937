#include "core/OVProcessHelpers.h"

int OVSystemVersion()
{
    return -1;
}

namespace OVXMLElementUtil {

QDomElement firstElementWithName(const QDomElement &element, const QString &name)
{
    return element.firstChildElement(name);
}

} // namespace OVXMLElementUtil
