#include "ui/dialogs/Transfermode.h"
#include "settings/MessageIds.h"
#include "ui/dialogs/DialogKit.h"

#include <algorithm>

namespace lw::ui {

namespace {
constexpr int kTitle = msg::kTransferModeTitle;
constexpr int kCardReaderText = msg::kTransferModeCard;
constexpr int kRestoreFileText = msg::kTransferModeRestoreFile;
} // namespace

Transfermode::Transfermode(Localisation& localisation, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Transfermode"));
    setWindowTitle(dlg::message(localisation, kTitle));

    auto* cardReader = new dlg::WrapButton(this);
    cardReader->setObjectName(QStringLiteral("but_SD_Reader"));
    cardReader->setText(dlg::message(localisation, kCardReaderText));
    cardReader->setAutoDefault(false);
    dlg::place(cardReader, 150, 150, 3765, 585);

    auto* restoreFile = new dlg::WrapButton(this);
    restoreFile->setObjectName(QStringLiteral("but_Erstelle_Imagedate"));
    restoreFile->setText(dlg::message(localisation, kRestoreFileText));
    restoreFile->setAutoDefault(false);
    dlg::place(restoreFile, 150, 900, 3765, 585);

    m_outputMode = OutputMode::RestoreFile;
    connect(cardReader, &QPushButton::clicked, this, [this] {
        m_outputMode = OutputMode::Card;
        accept();
    });
    connect(restoreFile, &QPushButton::clicked, this, [this] {
        m_outputMode = OutputMode::RestoreFile;
        accept();
    });

    // A caption that needs more lines in this font than in the design's gets them.
    // Both buttons keep one height.
    const int needed = std::max(cardReader->heightForWidth(cardReader->width()),
                                restoreFile->heightForWidth(restoreFile->width()));
    int grown = dlg::makeRoom(this, cardReader, needed);
    grown += dlg::makeRoom(this, restoreFile, needed);
    dlg::sizeForParent(this, 4095, 1590 + grown * dlg::kTwipsPerPixel);
    setFixedSize(size());
}

} // namespace lw::ui
