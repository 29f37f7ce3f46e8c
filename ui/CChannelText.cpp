#include "CChannelText.h"

#include <QObject>
#include <QStringList>

QString CChannelText::Ranges(const std::vector<int>& arrayChannel) {
    QStringList ranges;
    for (std::size_t first = 0; first < arrayChannel.size();) {
        std::size_t last = first;
        while (last + 1 < arrayChannel.size() && arrayChannel[last + 1] == arrayChannel[last] + 1) {
            ++last;
        }
        ranges << (last == first ? QString::number(arrayChannel[first])
                                 : QStringLiteral("%1\u2013%2")
                                       .arg(arrayChannel[first])
                                       .arg(arrayChannel[last]));
        first = last + 1;
    }
    return ranges.join(QStringLiteral(", "));
}

QString CChannelText::Selection(const QBitArray& select) {
    const qsizetype count = select.count(true);
    if (count == 0) {
        return QObject::tr("none");
    }
    if (count == select.size()) {
        return QObject::tr("all %1").arg(count);
    }
    std::vector<int> arrayChannel;
    for (qsizetype bit = 0; bit < select.size(); ++bit) {
        if (select.testBit(bit)) {
            arrayChannel.push_back(int(bit) + 1);
        }
    }
    return Ranges(arrayChannel);
}
