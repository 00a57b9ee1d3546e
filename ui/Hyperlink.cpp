#include "Hyperlink.h"

#include <QDesktopServices>

#include <utility>

namespace qx {

namespace {
CHyperlink::UrlOpener g_opener;
}

bool CHyperlink::Navigate() const {
    if (IsEmpty())
        return false;
    const QUrl url = UrlOf(m_strLink);
    if (!url.isValid())
        return false;
    if (g_opener)
        return g_opener(url);
    return QDesktopServices::openUrl(url);
}

QUrl CHyperlink::UrlOf(const QString& strLink) {
    return QUrl::fromUserInput(strLink.trimmed());
}

CHyperlink::UrlOpener CHyperlink::SetUrlOpener(UrlOpener opener) {
    std::swap(g_opener, opener);
    return opener;
}

}  // namespace qx
