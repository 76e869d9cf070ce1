// The card preview: what a transfer would do with the marked songs, shown before anything
// is written. It shows the core's plan of the run: the card's folders with the songs each
// would receive (in add mode the folders on the card already, marked as such), the marked
// songs that would be left out and why, how full the card would be, and how the run would
// end. The dialog only shows the plan; it writes nothing.
#pragma once

#include "card/TransferPlan.h"
#include "settings/Localisation.h"

#include <QDialog>
#include <QString>

namespace lw::ui {

class CardPreview : public QDialog {
    Q_OBJECT

public:
    // `target`: the card's root or the restore file, as the user knows it.
    CardPreview(Localisation& localisation, const TransferPlan& plan, const TransferSetup& setup,
                const QString& target, QWidget* parent = nullptr);
};

} // namespace lw::ui
