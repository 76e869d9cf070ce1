// The language dialog as the program's first window and as the menu's language choice.
#include "DialogTestSupport.h"

#include "settings/SettingsFile.h"
#include "ui/dialogs/Sprachwahl.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace lw;
using namespace lw::test;
using lw::ui::Sprachwahl;

class SprachwahlTest : public QObject {
    Q_OBJECT

private slots:
    // At start-up it closes unseen with a usable settings file and asks otherwise; at every
    // closing the language and the settings file follow the choice, and only the start-up's
    // closing hands on to the splash.
    void closingSettlesTheLanguage_data() {
        QTest::addColumn<QString>("saved"); // the settings file's language; empty: no file
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QString>("action"); // a flag button, the close box, or empty: unseen
        QTest::addColumn<int>("after");
        QTest::newRow("first start, English chosen") << QString() << false << "English" << 2;
        QTest::newRow("first start, close box: German") << QString() << false << "close" << 1;
        QTest::newRow("later start reads the file unseen") << "2" << false << "" << 2;
        QTest::newRow("a language without texts is asked again") << "3" << false << "close" << 1;
        QTest::newRow("menu, close box keeps English") << "2" << true << "close" << 2;
    }
    void closingSettlesTheLanguage() {
        QFETCH(QString, saved);
        QFETCH(bool, fromMenu);
        QFETCH(QString, action);
        QFETCH(int, after);
        ProgramPlace place;
        const auto line = [&](int language) {
            return formatSettings(
                {std::to_string(language), saved.isEmpty() ? "" : "e:", saved.isEmpty() ? "" : "r"});
        };
        if (!saved.isEmpty())
            place.writeSettings(line(saved.toInt()));
        if (fromMenu) { // the start-up before, unseen
            Sprachwahl startUp(place.localisation, false);
            QVERIFY(startUp.closesUnseen());
            startUp.run();
        }
        Sprachwahl dialog(place.localisation, fromMenu);
        QSignalSpy continues(&dialog, &Sprachwahl::startupContinues);
        QCOMPARE(dialog.closesUnseen(), action.isEmpty());
        if (!action.isEmpty())
            QTimer::singleShot(0, [action] {
                QWidget* modal = QApplication::activeModalWidget();
                QVERIFY(modal);
                if (action == QStringLiteral("close"))
                    modal->close();
                else
                    QTest::mouseClick(child<QToolButton>(*modal, qPrintable(action)), Qt::LeftButton);
            });
        dialog.run();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(int(place.localisation.lngId()), after);
        QCOMPARE(place.settings(), line(after));
        QCOMPARE(continues.count(), fromMenu ? 0 : 1);
        Localisation nextStart(realFileSystem(), place.localisation.settingsFile(), {});
        QVERIFY(!ui::languageMustBeAsked(nextStart));
    }
};

QTEST_MAIN(SprachwahlTest)
#include "tst_sprachwahl.moc"
