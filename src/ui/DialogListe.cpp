#include "ui/DialogListe.h"
#include "settings/MessageIds.h"
#include "ui/dialogs/UiText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lw::ui {

DialogListe::DialogListe(Localisation& localisation, std::int16_t& listOrderChoice, QWidget* parent)
    : QDialog(parent), m_listOrderChoice(listOrderChoice) {
    setObjectName(QStringLiteral("Dialog_Liste"));
    setWindowTitle(QStringLiteral("Liedwerk"));
    setModal(true);

    Label_Frage = new QLabel(message(localisation, msg::kOrderQuestion), this);
    Label_Frage->setObjectName(QStringLiteral("Label_Frage"));
    Label_Frage->setWordWrap(true);
    QFont bold = Label_Frage->font();
    bold.setBold(true);
    Label_Frage->setFont(bold);

    Label_Info = new QLabel(message(localisation, msg::kOrderHint), this);
    Label_Info->setObjectName(QStringLiteral("Label_Info"));
    Label_Info->setWordWrap(true);

    Button_check_0 = new QPushButton(message(localisation, msg::kOrderStandard), this);
    Button_check_0->setObjectName(QStringLiteral("Button_check_0"));
    Button_check_1 = new QPushButton(message(localisation, msg::kOrderAlphabetic), this);
    Button_check_1->setObjectName(QStringLiteral("Button_check_1"));
    Button_check_0->setMinimumWidth(120);
    Button_check_1->setMinimumWidth(120);
    Button_check_0->setDefault(true);

    connect(Button_check_0, &QPushButton::clicked, this, [this] { choose(0); });
    connect(Button_check_1, &QPushButton::clicked, this, [this] { choose(1); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button_check_0);
    buttons->addWidget(Button_check_1);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(12);
    layout->addWidget(Label_Frage);
    layout->addWidget(Label_Info);
    layout->addLayout(buttons);
    setFixedWidth(440);
}

void DialogListe::ask(QWidget* parent, Localisation& localisation, std::int16_t& listOrderChoice) {
    DialogListe dialog(localisation, listOrderChoice, parent);
    dialog.exec();
}

void DialogListe::choose(std::int16_t order) {
    m_listOrderChoice = order;
    accept();
}

} // namespace lw::ui
