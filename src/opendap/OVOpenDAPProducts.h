// The built-in table of model products on the model-data server's OpenDAP service, keyed by
// type number: names, listing path, the date pattern of a run's URL path, the run links to skip
// and the short label. Constant data, any thread.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace OVOpenDAPProducts {

struct Product
{
    int64_t type;
    QString name;
    QString shortName;
    QString detailDescription;
    QString path;            // of the product's listing page, below the server
    QString uriToDateFormat; // an ICU pattern over a run's whole URL path
    QString excludePattern;  // null: no run link is skipped
    QString label;
};

/// Every product, in type order.
const std::vector<Product> &all();
/// The product of that type; null for any other number.
const Product *productOfType(int64_t type);

} // namespace OVOpenDAPProducts
