#pragma once

#include <QBitArray>
#include <QString>

#include <vector>

// Channel numbers as the window writes them.
class CChannelText {
public:
    // "1–8, 10, 12–13" for rising channel numbers; empty for none.
    static QString Ranges(const std::vector<int>& arrayChannel);
    // The channels set in select (bit n-1 for channel n): "all 8" when
    // every one is, "none" when none is, else their ranges.
    static QString Selection(const QBitArray& select);
};
