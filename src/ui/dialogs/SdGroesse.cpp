#include "ui/dialogs/SdGroesse.h"
#include "card/CardSizes.h"
#include "settings/MessageIds.h"
#include "ui/dialogs/DialogKit.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <array>

namespace lw::ui {

namespace {

constexpr int kClusterFrameTitle = msg::kClusterSizeFrame;
constexpr int kCardSizeFrameTitle = 147;
constexpr int kPrompt = msg::kCardSizePrompt;

// The dialog's whole width once the cluster-size group is revealed.
constexpr int kWidenedWidthTwips = 7215;
constexpr int kClientWidthTwips = 4665;
constexpr int kClientHeightTwips = 2805;

constexpr std::array<int, 8> kCardSizeTops = {330, 600, 840, 1110, 1380, 1650, 1920, 2190};
constexpr std::array<int, 5> kClusterSizeTops = {330, 600, 870, 1140, 1410};
static_assert(kCardSizeTops.size() == kCardSizes.size());
static_assert(kClusterSizeTops.size() == kClusterSizes.size());

// Label1: a prompt that reacts to a click.
class ClickableLabel : public QLabel {
public:
    ClickableLabel(QWidget* parent, SdGroesse* dialog) : QLabel(parent), m_dialog(dialog) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_dialog->widen();
        QLabel::mouseReleaseEvent(event);
    }

private:
    SdGroesse* m_dialog;
};

} // namespace

SdGroesse::SdGroesse(Localisation& localisation, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SD_Groesse"));
    setWindowTitle(QStringLiteral("SD-Card"));

    auto* prompt = new ClickableLabel(this, this);
    prompt->setObjectName(QStringLiteral("Label1"));
    prompt->setText(dlg::message(localisation, kPrompt));
    prompt->setWordWrap(true);
    prompt->setAlignment(Qt::AlignCenter);
    prompt->setMargin(4);
    prompt->setAutoFillBackground(true);
    prompt->setCursor(Qt::PointingHandCursor);
    QPalette promptColours = prompt->palette();
    promptColours.setColor(QPalette::Window, QColor(255, 255, 192));
    promptColours.setColor(QPalette::WindowText, QColor(255, 0, 0));
    prompt->setPalette(promptColours);
    dlg::place(prompt, 1830, 180, 2625, 1410);

    auto* cardFrame = new QGroupBox(dlg::message(localisation, kCardSizeFrameTitle), this);
    cardFrame->setObjectName(QStringLiteral("frame_SD_CardGroesse"));
    dlg::place(cardFrame, 150, 90, 1560, 2565); // wider than drawn: the sizes' texts need it
    auto* cardGroup = new QButtonGroup(this);
    for (std::size_t i = 0; i < kCardSizes.size(); ++i) {
        auto* option = new QRadioButton(dlg::fromUtf8(kCardSizes[i].text), cardFrame);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        dlg::place(option, 150, kCardSizeTops[i], 1350, 255);
        cardGroup->addButton(option, static_cast<int>(i));
        m_cardSizes[i] = option;
    }

    auto* clusterFrame = new QGroupBox(dlg::message(localisation, kClusterFrameTitle), this);
    clusterFrame->setObjectName(QStringLiteral("frame_ClusterGroesse"));
    dlg::place(clusterFrame, 4740, 60, 2085, 1815);
    auto* clusterGroup = new QButtonGroup(this);
    for (std::size_t i = 0; i < kClusterSizes.size(); ++i) {
        auto* option = new QRadioButton(dlg::fromUtf8(kClusterSizes[i].text), clusterFrame);
        option->setObjectName(QStringLiteral("option_ClusterGroesse_%1").arg(i));
        dlg::place(option, 120, kClusterSizeTops[i], 1815, 255);
        clusterGroup->addButton(option, static_cast<int>(i));
        m_clusterSizes[i] = option;
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("but_OK"));
    dlg::place(ok, 3270, 2280, 1155, 375);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // The defaults of every opening: 64 MB, 16 kByte per cluster.
    m_cardSizes[kDefaultCardSizeIndex]->setChecked(true);
    m_clusterSizes[kDefaultClusterIndex]->setChecked(true);
    m_cardCapacity = kCardSizes[kDefaultCardSizeIndex].capacity;
    m_clusterSize = kClusterSizes[kDefaultClusterIndex].bytes;

    // A selection by mouse, keyboard or program: checking a card size checks its cluster
    // size, which then sets ClusterSize as if the user had chosen it.
    connect(cardGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            cardSizeChosen(id);
    });
    // Clicking the card size that is already chosen chooses it again (and its cluster size).
    connect(cardGroup, &QButtonGroup::idClicked, this, &SdGroesse::cardSizeChosen);
    connect(clusterGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            clusterSizeChosen(id);
    });

    // The cluster-size group lies beyond the dialog's first width, until the prompt is clicked.
    dlg::sizeForParent(this, kClientWidthTwips, kClientHeightTwips);
    setFixedSize(size());
}

void SdGroesse::cardSizeChosen(int index) {
    const CardSize& size = kCardSizes.at(static_cast<std::size_t>(index));
    m_cardCapacity = size.capacity;
    QRadioButton* cluster = m_clusterSizes.at(static_cast<std::size_t>(size.clusterOption));
    if (cluster->isChecked())
        clusterSizeChosen(size.clusterOption);
    else
        cluster->setChecked(true); // sets ClusterSize through its toggle
}

void SdGroesse::clusterSizeChosen(int index) {
    m_clusterSize = kClusterSizes.at(static_cast<std::size_t>(index)).bytes;
}

void SdGroesse::widen() {
    const int width = dlg::px(kWidenedWidthTwips - dlg::kFrameWidthTwips);
    setFixedSize(width, height());
}

} // namespace lw::ui
