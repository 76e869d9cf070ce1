// The list-order question: before the working list is built, the user chooses the
// standard order (folders with their songs) or the alphabetical order (songs only).
// The songs reach the card in the same order. The answer is the program-wide
// ListOrderChoice: 0 standard, 1 alphabetical; closing the dialog without pressing one
// of its two buttons keeps the answer given last time.
#pragma once

#include "settings/Localisation.h"

#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;

namespace lw::ui {

class DialogListe : public QDialog {
    Q_OBJECT
public:
    DialogListe(Localisation& localisation, std::int16_t& listOrderChoice, QWidget* parent = nullptr);

    // Asks modally; on return listOrderChoice holds the answer.
    static void ask(QWidget* parent, Localisation& localisation, std::int16_t& listOrderChoice);

private:
    void choose(std::int16_t order);

    std::int16_t& m_listOrderChoice;
    QLabel* Label_Frage;
    QLabel* Label_Info;
    QPushButton* Button_check_0;
    QPushButton* Button_check_1;
};

} // namespace lw::ui
