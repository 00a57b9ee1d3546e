#include "StringResource.h"

#include <QFile>

namespace qx {

bool LoadStringResource(int id, QString& text) {
    QFile file(QStringLiteral(":/qx/strings/%1").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    text = QString::fromUtf8(file.readAll());
    // A resource file ends with a line break that is no part of the string.
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return true;
}

}  // namespace qx
