// The transfer-mode dialog: at the start of every transfer run the user decides where
// the marked songs go, straight onto a card in a card reader or into the restore file
// for the Song Manager. Each opening starts from the restore file, and closing the
// dialog by its close box keeps that: only the card-reader button chooses the card.
#pragma once

#include "card/OutputMode.h"
#include "settings/Localisation.h"

#include <QDialog>

namespace lw::ui {

class Transfermode : public QDialog {
    Q_OBJECT

public:
    explicit Transfermode(Localisation& localisation, QWidget* parent = nullptr);

    // OutputMode: Card after but_SD_Reader, RestoreFile in every other case.
    OutputMode outputMode() const { return m_outputMode; }

private:
    OutputMode m_outputMode = OutputMode::RestoreFile;
};

} // namespace lw::ui
