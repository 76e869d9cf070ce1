// Times a transfer of 1000 songs into the restore file from the window against
// liedwerk-cli on the same backup, and how soon the cancel button reaches the run.
// Run by hand: QT_QPA_PLATFORM=offscreen ./ui_transfer_bench
#include "SampleBackup.h"
#include "UiTestSupport.h"
#include "cli/Cli.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "ui/Hauptform.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <sstream>

using namespace lw;
using namespace lw::ui;
using namespace lw::ui::test;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void answerRestoreFile(DialogScript& script) {
    script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_Erstelle_Imagedate"); };
    script.actions[QStringLiteral("SD_Groesse")] = [](QDialog& d) {
        click(d, "Option1_7"); // 1024 MB
        click(d, "but_OK");
    };
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    constexpr int kSongs = 1000;
    WindowFixture fx;
    const fs::path temp = fx.place.path();
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, kSongs, {".SQT", ".LSW"}, 50'000),
                               temp / "backup");

    // The command line on the same backup, best of three.
    double cliSeconds = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        lw::test::runCliInProcess({"transfer", pathToUtf8(temp / "backup"), "--restore-file",
                                   pathToUtf8(temp / "cli.sdb"), "--card-size", "1024"});
        cliSeconds = std::min(cliSeconds, secondsSince(start));
    }

    double windowSeconds = 1e9;
    int cancelledAt = -1;
    int transferredAfterCancel = -1;
    for (int i = 0; i < 4; ++i) {
        Hauptform window(fx.context);
        window.show();
        openDirectory(window, temp / "backup");
        DialogScript script;
        answerRestoreFile(script);
        auto* transfer = window.findChild<QPushButton*>(QStringLiteral("but_Transfer"));
        if (i < 3) {
            const auto start = Clock::now();
            transfer->click();
            windowSeconds = std::min(windowSeconds, secondsSince(start));
            continue;
        }
        // The last run: press the cancel button in the middle and see when the run asks.
        QTimer press;
        press.setInterval(0);
        QObject::connect(&press, &QTimer::timeout, [&] {
            if (cancelledAt < 0 && window.panelText(8).toInt() >= kSongs / 2) {
                cancelledAt = window.panelText(8).toInt();
                window.findChild<QPushButton*>(QStringLiteral("but_Abbruch"))->click();
            }
        });
        press.start();
        transfer->click();
        transferredAfterCancel = window.panelText(8).toInt() - cancelledAt;
    }
    std::printf("transfer of %d songs (2 files of 50000 bytes each) into the restore file:\n", kSongs);
    std::printf("  liedwerk-cli %.3f s, window %.3f s, ratio %.2f (target <= 1.5)\n", cliSeconds,
                windowSeconds, windowSeconds / cliSeconds);
    std::printf("  cancel pressed after song %d; songs transferred after the press: %d (target <= 1)\n",
                cancelledAt, transferredAfterCancel);
    return 0;
}
