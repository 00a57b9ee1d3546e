#pragma once
// A link text and the way to open it: the desktop's handler for the link's
// kind (a web browser for a device's web page). Tests replace the opener so
// that nothing is launched.

#include <QString>
#include <QUrl>

#include <functional>

namespace qx {

class CHyperlink {
  public:
    explicit CHyperlink(const QString& strLink = QString()) : m_strLink(strLink) {}

    const QString& GetLink() const { return m_strLink; }
    void SetLink(const QString& strLink) { m_strLink = strLink; }
    bool IsEmpty() const { return m_strLink.isEmpty(); }

    // Opens the link with the desktop's handler; true when it was opened. An
    // empty link is not opened.
    bool Navigate() const;

    // The link text as the desktop sees it: a web address, a file or an
    // address without its scheme ("www.example.org", "10.1.2.3:8080").
    static QUrl UrlOf(const QString& strLink);

    using UrlOpener = std::function<bool(const QUrl&)>;
    // Installs the function that opens links (an empty function restores the
    // desktop's, QDesktopServices::openUrl). Returns the previous one.
    static UrlOpener SetUrlOpener(UrlOpener opener);

  private:
    QString m_strLink;
};

}  // namespace qx
