// The language dialog as the program's first window and as the menu's language choice,
// and the start-up chain it begins.
#include "DialogTestSupport.h"

#include "ui/dialogs/Infofenster.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/Sprachwahl.h"
#include "ui/dialogs/StartupChain.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace lw;
using namespace lw::test;
using lw::ui::Sprachwahl;

namespace {

// Acts on the modal dialog as soon as it is shown.
void whenModalShows(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        act(modal);
    });
}

} // namespace

class SprachwahlTest : public QObject {
    Q_OBJECT

private slots:
    void start_up_asks_only_without_a_usable_language_data() {
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("asks");
        QTest::newRow("no settings file") << false << "" << true;
        QTest::newRow("German") << true << "\"1\",\"\",\"\"\r\n" << false;
        QTest::newRow("English, bare fields") << true << "2,e:," << false;
        QTest::newRow("French has no texts") << true << "\"3\",\"e:\",\"\"\r\n" << true;
        QTest::newRow("closed without a choice") << true << "\"0\",\"\",\"\"\r\n" << true;
        QTest::newRow("no number") << true << "\"deutsch\",\"\",\"\"\r\n" << true;
        QTest::newRow("empty file") << true << "" << true;
    }

    void start_up_asks_only_without_a_usable_language() {
        QFETCH(bool, hasFile);
        QFETCH(QString, content);
        QFETCH(bool, asks);
        ProgramPlace place;
        if (hasFile)
            place.writeSettings(content.toStdString());
        auto localisation = place.localisation();
        QCOMPARE(ui::languageMustBeAsked(*localisation), asks);
        Sprachwahl dialog(*localisation, false);
        QCOMPARE(dialog.closesUnseen(), !asks);
    }

    void first_start_choosing_english() {
        ProgramPlace place;
        auto localisation = place.localisation();
        Sprachwahl dialog(*localisation, false);
        QSignalSpy continues(&dialog, &Sprachwahl::startupContinues);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sprache/Language"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("- Wählen Sie Ihre Sprache"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("- Select your language"));
        whenModalShows([](QWidget* modal) {
            QTest::mouseClick(modal->findChild<QToolButton*>(QStringLiteral("English")), Qt::LeftButton);
        });
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(localisation->lngId(), std::int16_t{2});
        QCOMPARE(msg(*localisation, 177), QStringLiteral("Language"));
        QCOMPARE(place.settingsContent().value(), settingsLine("2", ""));
        QCOMPARE(continues.count(), 1);
    }

    void first_start_close_box_keeps_german() {
        ProgramPlace place;
        auto localisation = place.localisation();
        Sprachwahl dialog(*localisation, false);
        whenModalShows([](QWidget* modal) { modal->close(); });
        dialog.run();
        QCOMPARE(localisation->lngId(), std::int16_t{1});
        QCOMPARE(place.settingsContent().value(), settingsLine("1", ""));
    }

    void later_start_reads_the_settings_unseen() {
        ProgramPlace place;
        place.writeSettings(settingsLine("2", "e:", "reserved"));
        auto localisation = place.localisation();
        Sprachwahl dialog(*localisation, false);
        QSignalSpy continues(&dialog, &Sprachwahl::startupContinues);
        QVERIFY(dialog.closesUnseen());
        bool shown = false;
        QTimer::singleShot(0, [&shown] { shown = QApplication::activeModalWidget() != nullptr; });
        dialog.run();
        QCoreApplication::processEvents();
        QVERIFY(!shown);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(continues.count(), 1);
        QCOMPARE(localisation->lngId(), std::int16_t{2});
        QCOMPARE(localisation->settings().cardDrive, std::string("e:"));
        QCOMPARE(place.settingsContent().value(), settingsLine("2", "e:", "reserved"));
    }

    void command_line_speaks_but_the_settings_decide() {
        ProgramPlace place;
        place.writeSettings(settingsLine("1", ""));
        auto localisation = place.localisation("LNGID=2");
        Sprachwahl dialog(*localisation, false);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Language"));
        dialog.run();
        QCOMPARE(localisation->lngId(), std::int16_t{1});
        QCOMPARE(place.settingsContent().value(), settingsLine("1", ""));
    }

    // A settings file naming French (which has no texts) used to end every start; now
    // the start asks as at a first start and keeps the card drive.
    void language_without_texts_is_asked_again_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("written");
        QTest::newRow("English chosen") << "English"
                                        << "2";
        QTest::newRow("German chosen") << "German"
                                       << "1";
        QTest::newRow("close box") << "close"
                                   << "1";
    }

    void language_without_texts_is_asked_again() {
        QFETCH(QString, action);
        QFETCH(QString, written);
        ProgramPlace place;
        place.writeSettings(settingsLine("3", "e:"));
        auto localisation = place.localisation();
        Sprachwahl dialog(*localisation, false);
        QVERIFY(!dialog.closesUnseen());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sprache/Language"));
        whenModalShows([action](QWidget* modal) {
            if (action == QLatin1String("close"))
                modal->close();
            else
                QTest::mouseClick(modal->findChild<QToolButton*>(action), Qt::LeftButton);
        });
        dialog.run();
        QCOMPARE(localisation->lngId(), std::int16_t(written.toInt()));
        QCOMPARE(place.settingsContent().value(), settingsLine(written.toStdString(), "e:"));
        auto nextStart = place.localisation();
        QVERIFY(!ui::languageMustBeAsked(*nextStart));
    }

    void menu_opening_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("after");
        QTest::newRow("German while English was active") << "2"
                                                         << "German"
                                                         << "1";
        QTest::newRow("English while German was active") << "1"
                                                         << "English"
                                                         << "2";
        QTest::newRow("close box keeps English") << "2"
                                                 << "close"
                                                 << "2";
        QTest::newRow("close box keeps German") << "1"
                                                << "close"
                                                << "1";
    }

    void menu_opening() {
        QFETCH(QString, before);
        QFETCH(QString, action);
        QFETCH(QString, after);
        ProgramPlace place;
        place.writeSettings(settingsLine(before.toStdString(), "e:", "r"));
        auto localisation = place.localisation();
        {
            Sprachwahl startUp(*localisation, false);
            startUp.run();
        }
        Sprachwahl dialog(*localisation, true);
        QSignalSpy continues(&dialog, &Sprachwahl::startupContinues);
        QVERIFY(!dialog.closesUnseen());
        whenModalShows([action](QWidget* modal) {
            if (action == QLatin1String("close"))
                modal->close();
            else
                QTest::mouseClick(modal->findChild<QToolButton*>(action), Qt::LeftButton);
        });
        dialog.run();
        QCOMPARE(localisation->lngId(), std::int16_t(after.toInt()));
        QCOMPARE(place.settingsContent().value(), settingsLine(after.toStdString(), "e:", "r"));
        QCOMPARE(continues.count(), 0);
    }

    // --- The start-up chain ---------------------------------------------------------

    void start_up_chain_with_settings_goes_straight_to_the_splash() {
        ProgramPlace place;
        place.writeSettings(settingsLine("2", ""));
        auto localisation = place.localisation();
        int mainWindows = 0;
        ui::StartupChain chain(*localisation, [&mainWindows] { ++mainWindows; });
        QSignalSpy finished(&chain, &ui::StartupChain::startupFinished);
        chain.start();
        auto* splash = qobject_cast<ui::Infofenster*>(QApplication::topLevelWidgets().value(0));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* about = qobject_cast<ui::Infofenster*>(w); about && about->isVisible())
                splash = about;
        QVERIFY(splash);
        QCOMPARE(splash->windowTitle(), QStringLiteral("Info"));
        QCOMPARE(mainWindows, 0);
        QVERIFY(!chain.startupDone());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(mainWindows, 1);
        QVERIFY(chain.startupDone());
    }

    void start_up_chain_asks_first() {
        ProgramPlace place;
        auto localisation = place.localisation();
        int mainWindows = 0;
        ui::StartupChain chain(*localisation, [&mainWindows] { ++mainWindows; });
        QSignalSpy finished(&chain, &ui::StartupChain::startupFinished);
        whenModalShows([](QWidget* modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("Sprachwahl"));
            QTest::mouseClick(modal->findChild<QToolButton*>(QStringLiteral("English")), Qt::LeftButton);
        });
        chain.start();
        QCOMPARE(localisation->lngId(), std::int16_t{2});
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(mainWindows, 1);
    }

    // --- The flags ------------------------------------------------------------------

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
        QTest::newRow("top of the upright") << QPointF(0.5, 0.02) << red;
        QTest::newRow("fly end of the bar") << QPointF(0.98, 0.5) << red;
        QTest::newRow("edge of St George") << QPointF(0.5 + 5.2 / 76, 0.12) << white;
        QTest::newRow("field at the hoist") << QPointF(0.05, 0.3) << blue;
        QTest::newRow("field at the fly") << QPointF(0.62, 0.07) << blue;
        // Across the diagonal of each arm, a quarter of the way in from the corner.
        QTest::newRow("hoist top: red below") << QPointF(0.25, 0.25 + 1.2 / 48) << red;
        QTest::newRow("hoist top: white above") << QPointF(0.25, 0.25 - 2.2 / 48) << white;
        QTest::newRow("fly top: red above") << QPointF(0.75, 0.25 - 1.2 / 48) << red;
        QTest::newRow("fly top: white below") << QPointF(0.75, 0.25 + 2.2 / 48) << white;
        QTest::newRow("hoist bottom: red below") << QPointF(0.25, 0.75 + 1.2 / 48) << red;
        QTest::newRow("fly bottom: red above") << QPointF(0.75, 0.75 - 1.2 / 48) << red;
        QTest::newRow("fly bottom: white below") << QPointF(0.75, 0.75 + 2.2 / 48) << white;
    }

    void union_flag_parts() {
        QFETCH(QPointF, where);
        QFETCH(QColor, colour);
        // Drawn large, so that single pixels lie well inside each part.
        const QImage flag = ui::unionFlag(QSize(760, 480)).toImage();
        const QColor found = flag.pixelColor(int(where.x() * 760), int(where.y() * 480));
        QCOMPARE(found, colour);
    }

    void language_buttons_show_their_flags() {
        ProgramPlace place;
        auto localisation = place.localisation();
        Sprachwahl dialog(*localisation, false);
        for (const char* name : {"German", "English"}) {
            auto* button = dialog.findChild<QToolButton*>(QString::fromLatin1(name));
            QVERIFY(button);
            QCOMPARE(button->iconSize(), QSize(76, 48));
            QVERIFY(!button->icon().isNull());
            QVERIFY(button->width() >= 76 && button->height() >= 48);
        }
    }
};

QTEST_MAIN(SprachwahlTest)
#include "tst_sprachwahl.moc"
