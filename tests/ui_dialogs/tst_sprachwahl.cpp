// The language dialog as the program's first window and as the menu's language choice,
// and the start-up chain it begins.
#include "DialogTestSupport.h"

#include "settings/SettingsFile.h"
#include "ui/dialogs/Infofenster.h"
#include "ui/dialogs/Sprachwahl.h"
#include "ui/dialogs/StartupChain.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace lw;
using namespace lw::test;
using lw::ui::Sprachwahl;

namespace {

// Acts on the modal dialog as soon as it is shown: a flag button's name, or "close".
void whenModalShows(const QString& action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        if (action == QLatin1String("close"))
            modal->close();
        else
            QTest::mouseClick(child<QToolButton>(*modal, qPrintable(action)), Qt::LeftButton);
    });
}

std::string settingsLine(const char* language) {
    return formatSettings({language, "e:", "r"});
}

} // namespace

class SprachwahlTest : public QObject {
    Q_OBJECT

private slots:
    // At start-up: closes unseen with a usable settings file, asks otherwise; at every
    // closing the language and the settings file follow the choice, and only the
    // start-up's closing hands on to the splash.
    void closing_settles_the_language_data() {
        QTest::addColumn<bool>("hasSettings");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QString>("action"); // empty: the dialog must close unseen
        QTest::addColumn<QString>("after");
        QTest::newRow("first start, English chosen") << false << "" << false << "English"
                                                     << "2";
        QTest::newRow("first start, close box keeps German") << false << "" << false << "close"
                                                             << "1";
        QTest::newRow("later start reads the file unseen") << true << "2" << false << ""
                                                           << "2";
        QTest::newRow("French has no texts: asked again") << true << "3" << false << "close"
                                                          << "1";
        QTest::newRow("menu: German while English was active") << true << "2" << true << "German"
                                                               << "1";
        QTest::newRow("menu: close box keeps English") << true << "2" << true << "close"
                                                       << "2";
    }

    void closing_settles_the_language() {
        QFETCH(bool, hasSettings);
        QFETCH(QString, saved);
        QFETCH(bool, fromMenu);
        QFETCH(QString, action);
        QFETCH(QString, after);
        ProgramPlace place;
        if (hasSettings)
            place.writeSettings(settingsLine(qPrintable(saved)));
        auto localisation = place.localisation();
        if (fromMenu)
            Sprachwahl(*localisation, false).run();
        Sprachwahl dialog(*localisation, fromMenu);
        QSignalSpy continues(&dialog, &Sprachwahl::startupContinues);
        QCOMPARE(dialog.closesUnseen(), action.isEmpty());
        if (!action.isEmpty())
            whenModalShows(action);
        dialog.run();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(localisation->lngId(), std::int16_t(after.toInt()));
        QCOMPARE(place.settingsContent().value(), hasSettings
                                                      ? settingsLine(qPrintable(after))
                                                      : formatSettings({after.toStdString(), "", ""}));
        QCOMPARE(continues.count(), fromMenu ? 0 : 1);
        QVERIFY(!ui::languageMustBeAsked(*place.localisation()));
    }

    // A first start: the question, then the splash, and the main window once the splash
    // has closed by itself.
    void start_up_chain() {
        ProgramPlace place;
        whenModalShows(QStringLiteral("English"));
        auto localisation = place.localisation();
        int mainWindows = 0;
        ui::StartupChain chain(*localisation, [&mainWindows] { ++mainWindows; });
        QSignalSpy finished(&chain, &ui::StartupChain::startupFinished);
        chain.start();
        QCOMPARE(localisation->lngId(), std::int16_t{2});
        QCOMPARE(mainWindows, 0); // the splash stands first
        QVERIFY(!chain.startupDone());
        int splashes = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<ui::Infofenster*>(window); splash && ++splashes)
                splash->timer()->start(10); // its two seconds, shortened
        QCOMPARE(splashes, 1);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(mainWindows, 1);
        QVERIFY(chain.startupDone());
    }
};

QTEST_MAIN(SprachwahlTest)
#include "tst_sprachwahl.moc"
