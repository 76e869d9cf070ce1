#include "ui/dialogs/Infofenster.h"
#include "settings/MessageIds.h"
#include "ui/dialogs/DialogKit.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/WebPage.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace lw::ui {

namespace {

constexpr int kVersionLabel = msg::kVersionLabel;
constexpr int kTitle = msg::kAboutTitle;
constexpr int kWidthTwips = 6945;
constexpr int kHeightTwips = 3885;
constexpr int kSplashMilliseconds = 2000;

struct AboutTexts {
    QString purpose;
    QString method;
    QString independence;
};

AboutTexts aboutTexts(Language language) {
    if (language == Language::German)
        return {
            QStringLiteral("Überträgt die Song-Backups der Technics-Keyboards KN2000, KN3000, KN5000 und "
                           "KN6000/6500 in das SD-Card-Format des KN7000: direkt auf eine SD-Card oder in "
                           "eine Restore-Datei für den Song Manager."),
            QStringLiteral("Die Songdateien werden Byte für Byte kopiert und nie verändert; "
                           "das Backup selbst wird nur gelesen."),
            QStringLiteral("Liedwerk ist ein eigenständiges Programm und stammt nicht vom Hersteller der "
                           "Keyboards.")};
    return {
        QStringLiteral("Transfers the song backups of the Technics keyboards KN2000, KN3000, KN5000 and "
                       "KN6000/6500 into the SD card layout of the KN7000: directly onto an SD card or into "
                       "a restore file for the Song Manager."),
        QStringLiteral("The song files are copied byte for byte and never changed; the backup itself is "
                       "only read."),
        QStringLiteral("Liedwerk is an independent program; it does not come from the keyboards' maker.")};
}

QLabel* wrappedLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

} // namespace

QString programVersion() {
    return QString::fromLatin1(LIEDWERK_VERSION);
}

Infofenster::Infofenster(Localisation& localisation, bool startupDone, QWidget* parent)
    : QDialog(parent), m_startupDone(startupDone) {
    setObjectName(QStringLiteral("Infofenster"));
    setWindowTitle(dlg::message(localisation, kTitle));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(logo(QSize(80, 80)));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* product = new QLabel(QStringLiteral("Liedwerk"), this);
    product->setObjectName(QStringLiteral("lbl_Produkt"));
    QFont productFont = product->font();
    productFont.setPointSizeF(productFont.pointSizeF() * 1.8);
    productFont.setBold(true);
    product->setFont(productFont);

    auto* version = new QLabel(dlg::message(localisation, kVersionLabel) + programVersion(), this);
    version->setObjectName(QStringLiteral("lbl_Version"));

    const AboutTexts texts = aboutTexts(localisation.language());
    QLabel* purpose = wrappedLabel(this, QStringLiteral("lbl_Zweck"), texts.purpose);
    QLabel* method = wrappedLabel(this, QStringLiteral("lbl_Arbeitsweise"), texts.method);
    QLabel* independence = wrappedLabel(this, QStringLiteral("lbl_Hinweis"), texts.independence);

    auto* internet = new QLabel(this);
    internet->setObjectName(QStringLiteral("lblInternet"));
    internet->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(webPageAddress().toHtmlEscaped()));
    internet->setTextFormat(Qt::RichText);
    internet->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    internet->setOpenExternalLinks(false);
    internet->setCursor(Qt::PointingHandCursor);
    connect(internet, &QLabel::linkActivated, this, [] { openWebPage(); });

    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(6);
    textColumn->addWidget(product);
    textColumn->addWidget(version);
    textColumn->addSpacing(4);
    textColumn->addWidget(purpose);
    textColumn->addWidget(method);
    textColumn->addWidget(independence);
    textColumn->addStretch(1);
    textColumn->addWidget(internet);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 12, 14, 12);
    layout->setSpacing(14);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addLayout(textColumn, 1);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(m_startupDone ? 0 : kSplashMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &QDialog::reject);

    dlg::sizeAndCentre(this, kWidthTwips - dlg::kFrameWidthTwips, kHeightTwips - dlg::kFrameHeightTwips);
    // A font wider than the design's gets the height its wrapped texts need.
    const int needed = layout->totalHeightForWidth(width());
    if (needed > height())
        dlg::sizeAndCentre(this, dlg::kTwipsPerPixel * width(), dlg::kTwipsPerPixel * needed);
    setFixedSize(size());
}

void Infofenster::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only the start-up's showing closes by itself; from the menu the timer stays off.
    if (!m_startupDone && !m_handedOn && !m_timer->isActive())
        m_timer->start();
}

void Infofenster::done(int result) {
    m_timer->stop();
    if (!m_startupDone && !m_handedOn) {
        m_handedOn = true;
        emit mainWindowDue();
    }
    QDialog::done(result);
}

} // namespace lw::ui
