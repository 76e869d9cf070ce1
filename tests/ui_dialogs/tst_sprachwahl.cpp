// The language dialog as the program's first window and as the menu's language choice,
// the start-up chain it begins, and the drawn flags.
#include "DialogTestSupport.h"

#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/Sprachwahl.h"
#include "ui/dialogs/StartupChain.h"

#include <QApplication>
#include <QImage>
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
            QTest::mouseClick(modal->findChild<QToolButton*>(action), Qt::LeftButton);
    });
}

} // namespace

class SprachwahlTest : public QObject {
    Q_OBJECT

private slots:
    // At start-up: closes unseen with a usable settings file, asks otherwise; at every
    // closing the language and the settings file follow the choice.
    void closing_settles_the_language_data() {
        QTest::addColumn<QString>("settings"); // empty: no settings file
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QString>("action"); // empty: the dialog must close unseen
        QTest::addColumn<QString>("after");
        const QString german = QString::fromStdString(settingsLine("1", "e:", "r"));
        const QString english = QString::fromStdString(settingsLine("2", "e:", "r"));
        QTest::newRow("first start, English chosen") << ""
                                                     << "" << false << "English"
                                                     << "2";
        QTest::newRow("first start, close box keeps German") << ""
                                                             << "" << false << "close"
                                                             << "1";
        QTest::newRow("later start reads the file unseen") << english << "" << false << ""
                                                           << "2";
        QTest::newRow("command line speaks, the file decides") << german << "LNGID=2" << false << ""
                                                               << "1";
        QTest::newRow("French has no texts: asked again")
            << QString::fromStdString(settingsLine("3", "e:", "r")) << "" << false << "close"
            << "1";
        QTest::newRow("menu: German while English was active") << english << "" << true << "German"
                                                               << "1";
        QTest::newRow("menu: close box keeps English") << english << "" << true << "close"
                                                       << "2";
    }

    void closing_settles_the_language() {
        QFETCH(QString, settings);
        QFETCH(QString, commandLine);
        QFETCH(bool, fromMenu);
        QFETCH(QString, action);
        QFETCH(QString, after);
        ProgramPlace place;
        if (!settings.isEmpty())
            place.writeSettings(settings.toStdString());
        auto localisation = place.localisation(commandLine.toStdString());
        if (fromMenu) {
            Sprachwahl startUp(*localisation, false);
            startUp.run();
        }
        Sprachwahl dialog(*localisation, fromMenu);
        QSignalSpy continues(&dialog, &Sprachwahl::startupContinues);
        QCOMPARE(dialog.closesUnseen(), action.isEmpty());
        if (!action.isEmpty())
            whenModalShows(action);
        dialog.run();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(localisation->lngId(), std::int16_t(after.toInt()));
        const std::string drive = settings.isEmpty() ? "" : "e:";
        QCOMPARE(place.settingsContent().value(),
                 settingsLine(after.toStdString(), drive, settings.isEmpty() ? "" : "r"));
        QCOMPARE(continues.count(), fromMenu ? 0 : 1);
        QVERIFY(!ui::languageMustBeAsked(*place.localisation()));
    }

    void start_up_chain_data() {
        QTest::addColumn<bool>("hasSettings");
        QTest::newRow("with settings: straight to the splash") << true;
        QTest::newRow("first start: asks first") << false;
    }

    void start_up_chain() {
        QFETCH(bool, hasSettings);
        ProgramPlace place;
        if (hasSettings)
            place.writeSettings(settingsLine("2", ""));
        else
            whenModalShows(QStringLiteral("English"));
        auto localisation = place.localisation();
        int mainWindows = 0;
        ui::StartupChain chain(*localisation, [&mainWindows] { ++mainWindows; });
        QSignalSpy finished(&chain, &ui::StartupChain::startupFinished);
        chain.start();
        QCOMPARE(localisation->lngId(), std::int16_t{2});
        QCOMPARE(mainWindows, 0); // the splash stands first
        QVERIFY(!chain.startupDone());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(mainWindows, 1);
        QVERIFY(chain.startupDone());
    }

    void german_flag_stripes() {
        const QImage flag = ui::germanFlag().toImage();
        QCOMPARE(flag.size(), QSize(76, 48));
        QCOMPARE(flag.pixelColor(38, 8), QColor(0x00, 0x00, 0x00));
        QCOMPARE(flag.pixelColor(38, 24), QColor(0xDD, 0x00, 0x00));
        QCOMPARE(flag.pixelColor(38, 40), QColor(0xFF, 0xCE, 0x00));
    }

    // The Union Flag is easily drawn wrong: the red saltire is counterchanged, lying
    // below the white diagonal's middle at the hoist's top and above it at the fly's top.
    void union_flag_parts_data() {
        QTest::addColumn<QPointF>("where"); // in units of the flag's width and height
        QTest::addColumn<QColor>("colour");
        const QColor blue(0x01, 0x21, 0x69);
        const QColor red(0xC8, 0x10, 0x2E);
        const QColor white(0xFF, 0xFF, 0xFF);
        QTest::newRow("centre: St George") << QPointF(0.5, 0.5) << red;
        QTest::newRow("edge of St George") << QPointF(0.5 + 5.2 / 76, 0.12) << white;
        QTest::newRow("field at the hoist") << QPointF(0.05, 0.3) << blue;
        QTest::newRow("hoist top: red below") << QPointF(0.25, 0.25 + 1.2 / 48) << red;
        QTest::newRow("hoist top: white above") << QPointF(0.25, 0.25 - 2.2 / 48) << white;
        QTest::newRow("fly top: red above") << QPointF(0.75, 0.25 - 1.2 / 48) << red;
        QTest::newRow("fly top: white below") << QPointF(0.75, 0.25 + 2.2 / 48) << white;
        QTest::newRow("hoist bottom: red below") << QPointF(0.25, 0.75 + 1.2 / 48) << red;
        QTest::newRow("fly bottom: red above") << QPointF(0.75, 0.75 - 1.2 / 48) << red;
    }

    void union_flag_parts() {
        QFETCH(QPointF, where);
        QFETCH(QColor, colour);
        // Drawn large, so that single pixels lie well inside each part.
        const QImage flag = ui::unionFlag(QSize(760, 480)).toImage();
        QCOMPARE(flag.pixelColor(int(where.x() * 760), int(where.y() * 480)), colour);
    }
};

QTEST_MAIN(SprachwahlTest)
#include "tst_sprachwahl.moc"
