// Screenshots of the window in its typical states, for looking at the layout:
//   ui_screens OUTPUT_DIR
// Each shot is the window's client area (QWidget::grab), German and English, at the
// least height and a tall one: the empty window, a KN6000/6500 list in standard order,
// a KN3000 list in alphabetical order, and the list-order question.
#include "UiTestSupport.h"
#include "ui/Hauptform.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

using namespace lw;
using namespace lw::ui;
using namespace lw::ui::test;

namespace {

void settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void save(QWidget& widget, const QString& file) {
    if (!widget.grab().save(file))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    else
        std::printf("%s\n", qPrintable(file));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui_screens OUTPUT_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    struct Shot {
        const char* language;
        const char* name;
        int height; // 0: the least height
    };
    for (const auto& [language, suffix] : {std::pair{"2", "en"}, std::pair{"1", "de"}}) {
        for (const int height : {0, 860}) {
            WindowFixture fx;
            fx.setLanguage(language);
            const QString tag = QStringLiteral("%1_%2").arg(
                QString::fromLatin1(suffix), height ? QStringLiteral("tall") : QStringLiteral("min"));
            Hauptform window(fx.context);
            if (height)
                window.resize(window.width(), height);
            window.show();
            window.activateWindow();
            settle(300);
            save(window, out + QStringLiteral("/empty_%1.png").arg(tag));

            // The samples' folder as the drive, so that the tree shows the four backups.
            auto* drives = window.findChild<QComboBox*>(QStringLiteral("Drive1"));
            drives->setCurrentIndex(2);
            emit drives->activated(2);
            settle(400);

            {
                ListOrderAnswerer answerer(0);
                answerer.beforeAnswer = [&] {
                    if (QWidget* dialog = QApplication::activeModalWidget()) {
                        settle(100);
                        save(*dialog,
                             out + QStringLiteral("/question_%1.png").arg(QString::fromLatin1(suffix)));
                    }
                };
                openDirectory(window, sampleDir("kn6000"));
            }
            settle(300);
            save(window, out + QStringLiteral("/kn6000_standard_%1.png").arg(tag));

            // A transfer into the restore file: the window while it runs (the cancel
            // question's moment, after the fifth song) and after it.
            if (!height) {
                DialogScript script;
                script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) {
                    click(d, "but_Erstelle_Imagedate");
                };
                script.actions[QStringLiteral("SD_Groesse")] = [](QDialog& d) { click(d, "but_OK"); };
                fx.boxes.answers = {QMessageBox::Ok, QMessageBox::No, QMessageBox::Ok};
                QTimer press;
                press.setInterval(0);
                bool pressed = false;
                QObject::connect(&press, &QTimer::timeout, [&] {
                    if (pressed || window.panelText(8) != QStringLiteral("5"))
                        return;
                    pressed = true;
                    window.centralWidget()->setUpdatesEnabled(true);
                    save(window, out + QStringLiteral("/transfer_running_%1.png").arg(tag));
                    window.findChild<QPushButton*>(QStringLiteral("but_Abbruch"))->click();
                });
                press.start();
                window.findChild<QPushButton*>(QStringLiteral("but_Transfer"))->click();
                settle(300);
                save(window, out + QStringLiteral("/transfer_done_%1.png").arg(tag));
            }

            {
                ListOrderAnswerer answerer(1);
                openDirectory(window, sampleDir("kn3000"));
            }
            settle(300);
            save(window, out + QStringLiteral("/kn3000_alphabetical_%1.png").arg(tag));
        }
    }
    return 0;
}
