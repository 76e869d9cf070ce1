// The program's web page, opened in the default browser from the Help menu's Internet
// item and from the address in the about window.
#pragma once

#include <QString>

namespace lw::ui {

// The one address of the program's page.
inline constexpr char16_t kWebPageAddress[] = u"https://www.technics.com/";

inline QString webPageAddress() {
    return QString::fromUtf16(kWebPageAddress);
}

// Asks the system to open the page. Whether a browser opened is not reported: nothing
// the user could do about a missing browser is the program's business.
void openWebPage();

} // namespace lw::ui
