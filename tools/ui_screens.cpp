// Screenshots of the window and its dialogs, for looking at them, as PNG files:
//   ui_screens OUTPUT_DIR [--dark]
// Best run under Xvfb (tools/screenshots.sh does), where the window looks as on a desktop.
// The real window runs over a program folder of its own in a temporary folder, in German
// and in English, with Fusion's light palette or (with --dark) a dark one: the empty window,
// the load and list-order questions, a KN6000/6500 list (also scrolled sideways, with all
// marks off, and with a name being edited and its context menu), a transfer into the
// restore file with its dialogs and messages, two transfers onto a card (a folder that the
// drive list calls removable) with the question before the card's songs are replaced, and
// the help, about and language windows. Every modal window is grabbed when it opens and
// answered as a user would answer it.
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramFolder.h"
#include "settings/Localisation.h"
#include "ui/AppContext.h"
#include "ui/Hauptform.h"
#include "ui/MessageBoxes.h"
#include "ui/dialogs/Help.h"
#include "ui/dialogs/Infofenster.h"
#include "ui/dialogs/Sprachwahl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <cstdio>
#include <deque>
#include <functional>

using namespace lw;

namespace {

QString g_out;
QString g_tag; // "de_light", "en_dark" ...

void settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void save(QWidget& widget, const char* name) {
    const QString file =
        QDir(g_out).filePath(QString::fromLatin1(name) + QChar(u'_') + g_tag + QStringLiteral(".png"));
    if (!widget.grab().save(file))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    else
        std::printf("%s\n", qPrintable(file));
}

void click(QWidget& parent, const char* name) {
    if (auto* button = parent.findChild<QAbstractButton*>(QString::fromLatin1(name)))
        button->click();
    else
        std::fprintf(stderr, "no button %s\n", name);
}

void press(QWidget& box, QMessageBox::StandardButton which) {
    if (auto* message = qobject_cast<QMessageBox*>(&box))
        if (QAbstractButton* button = message->button(which))
            button->click();
}

// Grabs each modal window as it opens, then answers it with the next step.
class ModalHand : public QObject {
public:
    struct Step {
        const char* shot; // nullptr: answered without a picture
        std::function<void(QWidget&)> answer;
    };
    std::deque<Step> steps;

    ModalHand() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible() || modal->property("answered").toBool())
                return;
            modal->setProperty("answered", true);
            // A window that no step expects is closed as its close box would close it.
            const Step step = steps.empty() ? Step{nullptr, [](QWidget& w) { w.close(); }} : steps.front();
            if (!steps.empty())
                steps.pop_front();
            settle(150);
            if (step.shot)
                save(*modal, step.shot);
            step.answer(*modal);
        });
        m_timer.start(20);
    }

private:
    QTimer m_timer;
};

class OwnFolder : public ProgramFolder {
public:
    explicit OwnFolder(std::filesystem::path folder) : m_folder(std::move(folder)) {}
    std::filesystem::path path() override { return m_folder; }

private:
    std::filesystem::path m_folder;
};

class OwnDrives : public Drives {
public:
    std::vector<DriveInfo> drives;
    std::vector<DriveInfo> list() override { return drives; }
};

QPalette darkPalette() {
    QPalette p;
    const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230), dim(127, 127, 127);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, QColor(42, 130, 218));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::PlaceholderText, dim);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dim);
    return p;
}

// One round: the window and its dialogs in one language.
void shootLanguage(const char* languageId, const std::filesystem::path& samples) {
    QTemporaryDir temp;
    const std::filesystem::path folder = pathFromUtf8(temp.path().toStdString());
    const std::filesystem::path card = folder / "card";
    std::filesystem::create_directories(card);
    FileSystem& fs = realFileSystem();
    OwnFolder programFolder(folder);
    OwnDrives drives;
    drives.drives = {{"/", "/", DriveType::Fixed, {}},
                     {pathToUtf8(card), card, DriveType::Removable, "SDCARD"}};
    Localisation localisation(fs, settingsFilePath(folder), {});
    localisation.settings().languageId = languageId;
    localisation.applyLanguageId();
    ui::QtMessageBoxes boxes;
    ui::AppContext context{fs, drives, programFolder, localisation, boxes, samples};
    ModalHand hand;
    const auto ok = [](QWidget& w) { press(w, QMessageBox::Ok); };

    ui::Hauptform window(context);
    window.show();
    window.activateWindow();
    settle(400);
    save(window, "window_empty");

    hand.steps = {{"question_load", [](QWidget& w) { press(w, QMessageBox::Yes); }},
                  {"dialog_list_order", [](QWidget& w) { click(w, "Button_check_0"); }}};
    window.openBackupFolder(QString::fromStdString(pathToUtf8(samples / "kn6000")));
    settle(300);
    save(window, "window_list");

    auto* list = window.findChild<QTreeView*>(QStringLiteral("ListView1"));
    list->horizontalScrollBar()->setValue(list->horizontalScrollBar()->maximum());
    settle(200);
    save(window, "window_list_scrolled");
    list->horizontalScrollBar()->setValue(0);
    auto* allMarks = window.findChild<QToolButton*>(QStringLiteral("fpBtnAllOn_Off"));
    allMarks->click();
    settle(200);
    save(window, "window_all_marks_off");
    allMarks->click();

    // A name being edited, and Qt's context menu of its editor.
    list->setFocus();
    list->setCurrentIndex(list->model()->index(1, 2));
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(list, &f2);
    settle(200);
    if (auto* editor = list->viewport()->findChild<QLineEdit*>()) {
        save(window, "window_rename");
        QMenu* menu = editor->createStandardContextMenu();
        menu->popup(editor->mapToGlobal(QPoint(10, 10)));
        settle(200);
        save(*menu, "menu_edit_context");
        menu->close();
        delete menu;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(editor, &escape);
    }

    // Into the restore file, with a press of the cancel button after the fifth song.
    hand.steps = {{"message_before_transfer", ok},
                  {"dialog_transfer_mode", [](QWidget& w) { click(w, "but_Erstelle_Imagedate"); }},
                  {"dialog_card_size", [](QWidget& w) { click(w, "but_OK"); }},
                  {"question_cancel", [](QWidget& w) { press(w, QMessageBox::No); }},
                  {"message_folders_used_up", ok},
                  {"message_restore_file_done", ok}};
    QTimer running;
    bool pressed = false;
    QObject::connect(&running, &QTimer::timeout, [&] {
        if (pressed || window.panelText(8) != QStringLiteral("5"))
            return;
        pressed = true;
        window.centralWidget()->setUpdatesEnabled(true);
        save(window, "window_transfer_running");
        click(window, "but_Abbruch");
    });
    running.start(0);
    click(window, "but_Transfer");
    running.stop();
    settle(300);
    save(window, "window_transfer_done");

    // Onto the card twice: the second time the card holds songs, and the answer is No.
    const auto chooseCard = [](QWidget& w) {
        auto* driveList = w.findChild<QComboBox*>(QStringLiteral("Drive1"));
        driveList->setCurrentIndex(0);
        driveList->setCurrentIndex(1);
        settle(100);
        save(w, "dialog_card_reader");
        click(w, "but_Start");
    };
    for (int round = 0; round < 2; ++round) {
        allMarks->click(); // all marks off, then on again: every song is marked
        allMarks->click();
        hand.steps = {
            {nullptr, ok}, {nullptr, [](QWidget& w) { click(w, "but_SD_Reader"); }}, {nullptr, chooseCard}};
        if (round == 0)
            hand.steps.insert(hand.steps.end(), {{nullptr, ok}, {"message_card_done", ok}});
        else
            hand.steps.push_back({"question_card_songs", [](QWidget& w) { press(w, QMessageBox::No); }});
        click(window, "but_Transfer");
        settle(200);
    }

    {
        ui::HelpViewer help(localisation);
        const bool german = localisation.language() == Language::German;
        help.showFile(QString::fromStdString(
            pathToUtf8(samples.parent_path() / "docs" / "help" / (german ? "Hilfe.html" : "Help.html"))));
        help.show();
        settle(300);
        save(help, "help");
        help.resize(help.width(), 1100); // the loading section with its shaded note
        help.browser()->scrollToAnchor(german ? QStringLiteral("laden") : QStringLiteral("load"));
        settle(200);
        save(help, "help_load");
        help.browser()->scrollToAnchor(german ? QStringLiteral("dateien") : QStringLiteral("files"));
        settle(200);
        save(help, "help_table");
    }
    {
        ui::Infofenster about(localisation, true);
        about.show();
        settle(200);
        save(about, "about");
    }
    {
        ui::Sprachwahl language(localisation, true);
        language.show();
        settle(200);
        save(language, "language");
        language.done(QDialog::Rejected);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui_screens OUTPUT_DIR [--dark]\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);
    const bool dark = argc > 2 && QByteArray(argv[2]) == "--dark";
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    const std::filesystem::path samples = pathFromUtf8(LIEDWERK_SOURCE_DIR) / "samples";
    for (const auto& [languageId, language] : {std::pair{"1", "de"}, std::pair{"2", "en"}}) {
        g_tag = QString::fromLatin1(language) + (dark ? QStringLiteral("_dark") : QStringLiteral("_light"));
        shootLanguage(languageId, samples);
    }
    return 0;
}
