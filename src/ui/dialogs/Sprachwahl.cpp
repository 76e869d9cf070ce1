#include "ui/dialogs/Sprachwahl.h"
#include "settings/MessageIds.h"
#include "ui/dialogs/DialogKit.h"
#include "ui/dialogs/Pictures.h"

#include <QIcon>
#include <QLabel>
#include <QToolButton>

namespace lw::ui {

namespace {

constexpr int kTitle = msg::kLanguageTitle;
constexpr int kWidthTwips = 4200;
constexpr int kHeightTwips = 2820;

bool hasMessageTable(const std::string& languageId) {
    const long long id = wholeNumber(languageId);
    return id == 1 || id == 2;
}

QToolButton* flagButton(QWidget* parent, const QString& name, const QPixmap& flag, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(QIcon(flag));
    button->setIconSize(kFlagSize);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(false);
    return button;
}

} // namespace

bool languageMustBeAsked(Localisation& localisation) {
    return localisation.languageStillToAsk();
}

Sprachwahl::Sprachwahl(Localisation& localisation, bool startupDone, QWidget* parent)
    : QDialog(parent), m_localisation(localisation), m_startupDone(startupDone) {
    setObjectName(QStringLiteral("Sprachwahl"));
    Settings& settings = m_localisation.settings();

    // Load step 1. The language in force is kept for the close box of a menu opening.
    m_languageInForce = settings.languageId;
    settings.languageId = "0";

    // Load step 2: at start-up this first lookup settles the lookup's language from the
    // settings file, the command line or the German fallback.
    setWindowTitle(dlg::message(m_localisation, kTitle));

    auto* german = new QLabel(QStringLiteral("- Wählen Sie Ihre Sprache"), this);
    german->setObjectName(QStringLiteral("Label1"));
    dlg::place(german, 120, 240, 2235, 255);
    dlg::growToText(german);
    auto* english = new QLabel(QStringLiteral("- Select your language"), this);
    english->setObjectName(QStringLiteral("Label2"));
    dlg::place(english, 120, 480, 2055, 255);
    dlg::growToText(english);

    QToolButton* germanButton =
        flagButton(this, QStringLiteral("German"), germanFlag(), QStringLiteral("Deutsch"));
    dlg::place(germanButton, 390, 1440, 1215, 735);
    QToolButton* englishButton =
        flagButton(this, QStringLiteral("English"), unionFlag(), QStringLiteral("English"));
    dlg::place(englishButton, 2370, 1410, 1215, 735);
    connect(germanButton, &QToolButton::clicked, this, [this] { choose("1"); });
    connect(englishButton, &QToolButton::clicked, this, [this] { choose("2"); });

    // Load step 3.
    dlg::sizeAndCentre(this, kWidthTwips - dlg::kFrameWidthTwips, kHeightTwips - dlg::kFrameHeightTwips);
    setFixedSize(size());

    // Load step 4: at start-up, a settings file naming a language settles everything.
    if (!m_startupDone) {
        if (!m_localisation.languageStillToAsk()) {
            m_localisation.readSettingsFile();
            m_closesUnseen = true;
        } else if (!hasMessageTable(settings.languageId) && wholeNumber(settings.languageId) != 0) {
            // The settings named a language without texts; the dialog speaks German, as
            // at a first start, and so German is what its close box keeps.
            settings.languageId = "1";
        }
    }
}

int Sprachwahl::run() {
    if (m_closesUnseen) {
        done(QDialog::Accepted);
        return result();
    }
    return exec();
}

void Sprachwahl::choose(const char* languageId) {
    m_localisation.settings().languageId = languageId;
    m_chosen = true;
    accept();
}

void Sprachwahl::done(int result) {
    if (!m_closed) {
        m_closed = true;
        if (m_startupDone && !m_chosen)
            m_localisation.settings().languageId = m_languageInForce;
        m_localisation.applyLanguageId();
        // A program folder that cannot be written has no handling of its own: the choice
        // holds for this run and is asked again at the next start.
        (void)m_localisation.writeSettingsFile();
        if (!m_startupDone)
            emit startupContinues();
    }
    QDialog::done(result);
}

} // namespace lw::ui
