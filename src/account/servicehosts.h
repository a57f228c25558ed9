#pragma once

#include <QString>

// Base URLs of the two service hosts ("http://host:port", no trailing slash).
// Host 1 is the main host; host 2 is asked first for the channel lists.
struct ServiceHosts
{
    QString host1;
    QString host2;
};
