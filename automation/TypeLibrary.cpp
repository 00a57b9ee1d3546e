#include "TypeLibrary.h"

#include "platform/text/EmbeddedText.h"

extern const qx::EmbeddedText kInterfaceXml[];
extern const int kInterfaceXmlCount;

namespace qx {

bus::LocalServerEndpoint KORVALENMISvrEndpoint() {
    return {QStringLiteral("com.quorvia.KORVALENMISvr"),
            QStringLiteral("/com/quorvia/KORVALENMISvr"),
            QStringLiteral("com.quorvia.KORVALENMISvr.ClassFactory"),
            QStringLiteral("com.quorvia.KORVALENMISvr.Object")};
}

QString TypeLibraryXml() {
    // Each file is a <node> of its own; the library is their interfaces in one node.
    QString xml = QStringLiteral("<node>\n");
    for (int i = 0; i < kInterfaceXmlCount; ++i) {
        QString text = QString::fromUtf8(kInterfaceXml[i].text);
        qsizetype begin = text.indexOf(QLatin1String("<node>"));
        qsizetype end = text.lastIndexOf(QLatin1String("</node>"));
        if (begin < 0 || end < begin)
            continue;
        begin += 6;
        xml += text.mid(begin, end - begin);
    }
    xml += QStringLiteral("</node>\n");
    return xml;
}

}  // namespace qx
