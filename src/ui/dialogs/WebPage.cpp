#include "ui/dialogs/WebPage.h"

#include <QDesktopServices>
#include <QUrl>

namespace lw::ui {

void openWebPage() {
    (void)QDesktopServices::openUrl(QUrl(webPageAddress()));
}

} // namespace lw::ui
