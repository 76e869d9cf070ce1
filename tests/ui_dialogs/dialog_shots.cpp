// Pictures of every dialog in German and English, for looking at the layout:
//   dialog_shots OUTPUT_DIR
// Each dialog is shown and grabbed into OUTPUT_DIR/<dialog>_<de|en>.png.
#include "DialogTestSupport.h"

#include "ui/dialogs/Help.h"
#include "ui/dialogs/Infofenster.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/SdGroesse.h"
#include "ui/dialogs/SelectCardreader.h"
#include "ui/dialogs/Sprachwahl.h"
#include "ui/dialogs/Transfermode.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QTextBrowser>
#include <QTextStream>

using namespace lw;
using namespace lw::test;

namespace {

QString g_out;

void shoot(QWidget& widget, const QString& name) {
    widget.show();
    (void)QTest::qWaitForWindowExposed(&widget);
    QApplication::processEvents();
    const QString file = QDir(g_out).filePath(name + QStringLiteral(".png"));
    widget.grab().save(file);
    QTextStream(stdout) << file << QLatin1Char(' ') << widget.width() << QLatin1Char('x') << widget.height()
                        << QLatin1Char('\n');
    widget.hide();
}

void shootLanguage(const char* languageId, const QString& suffix) {
    ProgramPlace place;
    place.writeSettings(settingsLine(languageId, ""));
    auto localisation = place.localisation();
    localisation->readSettingsFile();

    {
        ui::Transfermode dialog(*localisation);
        shoot(dialog, QStringLiteral("transfermode_") + suffix);
    }
    FakeDrives drives(windowsDrives());
    {
        ui::SelectCardreader dialog(*localisation, drives);
        shoot(dialog, QStringLiteral("cardreader_rejected_") + suffix);
        auto* list = dialog.findChild<QComboBox*>(QStringLiteral("Drive1"));
        list->setCurrentIndex(list->findText(QStringLiteral("e: [SDCARD]")));
        shoot(dialog, QStringLiteral("cardreader_accepted_") + suffix);
    }
    {
        // The load-time verdict on a saved card reader (messages 161 and 162).
        localisation->settings().cardDrive = "e:";
        ui::SelectCardreader dialog(*localisation, drives);
        shoot(dialog, QStringLiteral("cardreader_saved_") + suffix);
    }
    {
        ui::SdGroesse dialog(*localisation);
        shoot(dialog, QStringLiteral("cardsize_") + suffix);
        dialog.widen();
        shoot(dialog, QStringLiteral("cardsize_widened_") + suffix);
    }
    {
        ui::Sprachwahl dialog(*localisation, true);
        shoot(dialog, QStringLiteral("sprachwahl_") + suffix);
        dialog.done(QDialog::Rejected);
    }
    {
        ui::Infofenster dialog(*localisation, true);
        shoot(dialog, QStringLiteral("about_") + suffix);
    }
    {
        ui::HelpViewer viewer(*localisation);
        const char* file = localisation->lngId() == 1 ? "docs/help/Hilfe.html" : "docs/help/Help.html";
        viewer.showFile(QDir(QString::fromLatin1(LIEDWERK_SOURCE_DIR)).filePath(QString::fromLatin1(file)));
        shoot(viewer, QStringLiteral("help_") + suffix);
        viewer.show();
        viewer.browser()->scrollToAnchor(localisation->lngId() == 1 ? QStringLiteral("meldungen")
                                                                    : QStringLiteral("messages"));
        shoot(viewer, QStringLiteral("help_messages_") + suffix);
        viewer.showFile(place.folderText() + QStringLiteral("/Aide.html"));
        shoot(viewer, QStringLiteral("help_missing_") + suffix);
    }
}

void savePicture(const QPixmap& pixmap, const QString& name) {
    const QString file = QDir(g_out).filePath(name + QStringLiteral(".png"));
    pixmap.save(file);
    QTextStream(stdout) << file << QLatin1Char('\n');
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: dialog_shots OUTPUT_DIR\n";
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);
    shootLanguage("1", QStringLiteral("de"));
    shootLanguage("2", QStringLiteral("en"));
    savePicture(ui::germanFlag(), QStringLiteral("flag_german"));
    savePicture(ui::unionFlag(), QStringLiteral("flag_union"));
    savePicture(ui::unionFlag(QSize(456, 288)), QStringLiteral("flag_union_large"));
    savePicture(ui::logo(QSize(128, 128)), QStringLiteral("logo"));
    return 0;
}
