// Timings of the window on a full KN6000/6500 backup (240 folders, 3840 songs): from the
// answer to the list-order question to the painted list, and a press of the all-marks
// button until the list is painted again. Run on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen ./ui_bench [rounds]
// The first figure includes the space estimate's walk over the backup's 3841 files; with
// UI_BENCH_NO_DIRSIZE=1 in the environment the directory size is given instead, which
// leaves the list build and the painting alone.
#include "SampleBackup.h"
#include "UiTestSupport.h"
#include "platform/Path.h"
#include "ui/Hauptform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace lw;
using namespace lw::ui;
using namespace lw::ui::test;

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    WindowFixture fx;
    const std::filesystem::path full = fx.place.path() / "full";
    const std::filesystem::path other = fx.place.path() / "other";
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, 3840, {".SQT"}, 16), full);
    std::filesystem::create_directories(other);

    if (std::getenv("UI_BENCH_NO_DIRSIZE"))
        fx.fs.setDirectorySize(1000);
    Hauptform window(fx.context);
    window.resize(window.width(), 900);
    window.show();
    QApplication::processEvents();
    auto* list = window.findChild<QTreeView*>(QStringLiteral("ListView1"));
    auto* allMarks = window.findChild<QToolButton*>(QStringLiteral("fpBtnAllOn_Off"));

    std::vector<double> build;
    std::vector<double> marks;
    for (int round = 0; round < rounds; ++round) {
        openDirectory(window, other); // a fresh directory change each round
        QElapsedTimer timer;
        DialogScript script;
        script.actions[QStringLiteral("Dialog_Liste")] = [&timer](QDialog& d) {
            timer.start();
            click(d, "Button_check_0");
        };
        window.openBackupFolder(toQString(full));
        list->viewport()->repaint();
        build.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (list->model()->rowCount() != 4080) {
            std::fprintf(stderr, "unexpected list of %d rows\n", list->model()->rowCount());
            return 1;
        }

        timer.start();
        allMarks->click();
        list->viewport()->repaint();
        marks.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("full KN6000/6500 backup, 4080 rows, %d rounds (median / worst)\n", rounds);
    std::printf("  list-order answer to painted list: %8.2f ms / %8.2f ms (target < 100 ms)\n", median(build),
                *std::max_element(build.begin(), build.end()));
    std::printf("  all-marks button to painted list:  %8.2f ms / %8.2f ms (target < 50 ms)\n", median(marks),
                *std::max_element(marks.begin(), marks.end()));
    return 0;
}
