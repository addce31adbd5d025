#include "dialogs/desktop_opener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace dialogs {

namespace {
int Open(const QUrl& url) {
    if (!url.isValid() || url.isEmpty()) return ports::OPEN_NO_ASSOCIATION;
    return QDesktopServices::openUrl(url) ? ports::OPEN_OK : ports::OPEN_NO_ASSOCIATION;
}
}  // namespace

int DesktopOpener::OpenUrl(const std::string& url) {
    return Open(QUrl(QString::fromStdString(url), QUrl::TolerantMode));
}

int DesktopOpener::OpenFile(const std::string& path) {
    return Open(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace dialogs
