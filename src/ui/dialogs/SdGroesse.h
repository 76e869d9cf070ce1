// The card-size dialog: in restore-file mode no card is present, yet the transfer must
// stop where a real card would be full. The user picks the size of the card the restore
// file is meant for; the size brings its usable bytes and the cluster size its file
// system allocates in (8 kByte for 8 MB, 16 kByte for every larger card). Clicking the
// prompt widens the dialog to show a second group that sets the cluster size freely.
// Every opening starts from 64 MB with 16 kByte clusters, whatever an earlier run chose.
#pragma once

#include "settings/Localisation.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QRadioButton;

namespace lw::ui {

class SdGroesse : public QDialog {
    Q_OBJECT

public:
    explicit SdGroesse(Localisation& localisation, QWidget* parent = nullptr);

    std::int32_t cardCapacity() const { return m_cardCapacity; } // CardCapacity, usable bytes
    std::int32_t clusterSize() const { return m_clusterSize; }   // ClusterSize, bytes per cluster

    // Label1's click: widens the dialog so that the cluster-size group shows.
    void widen();

private:
    void cardSizeChosen(int index);
    void clusterSizeChosen(int index);

    std::array<QRadioButton*, 8> m_cardSizes{};
    std::array<QRadioButton*, 5> m_clusterSizes{};
    std::int32_t m_cardCapacity = 0;
    std::int32_t m_clusterSize = 0;
};

} // namespace lw::ui
