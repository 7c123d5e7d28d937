// Process-wide path helper shared by the data clients.
#pragma once

#include <QString>

class OVCommon
{
public:
    /// The user's generic data folder joined with the running executable's file name; empty when
    /// either cannot be told (no data folder, no application object).
    static QString applicationSupportPath();
};
