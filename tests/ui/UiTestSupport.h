// Driving the window in tests: the real file system with chosen room and faults, drives and
// a program folder as the test sets them, and message boxes and dialogs answered by script.
#pragma once

#include "platform/Path.h"
#include "support/FakeDrives.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"
#include "ui/Hauptform.h"
#include "ui_dialogs/DialogTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <map>
#include <memory>

namespace lw::ui::test {

using namespace lw;
using namespace lw::ui;
using namespace lw::test;

inline QString toQString(const std::filesystem::path& path) {
    return QString::fromStdString(pathToUtf8(path));
}
// A folder as Qt's models spell it, and as a text shown to the user names it.
inline QString qtPath(const std::filesystem::path& path) {
    return QDir::fromNativeSeparators(toQString(path));
}
inline QString shownPath(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(toQString(path));
}
// The samples with their drive: on Windows a source folder given as a Linux path (a build
// run under Wine) lies on the current drive, and Qt's file system model wants the drive.
inline std::filesystem::path samples(const std::string& kind = ".") {
    return std::filesystem::absolute(sourceDir() / "samples" / kind).lexically_normal();
}

struct ShownMessage {
    QMessageBox::Icon icon;
    QString text;
    QStringList answers; // the captions of a question with answers of its own
};

// Records what is shown and answers from `answers` in order, then Yes to a question and OK
// to anything else; `onShow` runs while a message is shown, to look at the window behind it.
struct ScriptedMessageBoxes : MessageBoxes {
    QList<ShownMessage> shown;
    QList<QMessageBox::StandardButton> answers;
    std::function<void(const ShownMessage&)> onShow;
    QMessageBox::StandardButton show(QWidget*, QMessageBox::Icon icon, const QString&, const QString& text,
                                     QMessageBox::StandardButtons buttons) override {
        shown.append({icon, text, {}});
        if (onShow)
            onShow(shown.last());
        const auto unscripted = buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
        return answers.isEmpty() ? unscripted : answers.takeFirst();
    }
    // A question with answers of its own takes these (indexes) in order, then its default.
    QList<int> choices;
    int choose(QWidget*, const QString&, const QString& text, const QList<Answer>& offered, int defaultAnswer,
               int) override {
        QStringList captions;
        for (const Answer& answer : offered)
            captions << answer.text;
        shown.append({QMessageBox::Question, text, captions});
        if (onShow)
            onShow(shown.last());
        return choices.isEmpty() ? defaultAnswer : choices.takeFirst();
    }
};

// Answers the modal dialogs as they open, by their objectName; a dialog without an action
// is closed as by its close box.
struct DialogScript : QObject {
    DialogScript();
    std::map<QString, std::function<void(QDialog&)>> actions;
    QStringList seen;
    QTimer timer;
};

// Clicks the dialog's button of that name; a disabled one ends the run (the dialog would
// wait for ever).
inline void click(QDialog& dialog, const char* buttonName) {
    QAbstractButton* button = child<QAbstractButton>(dialog, buttonName);
    button->isEnabled() ? button->click() : qFatal("%s is disabled", buttonName);
}

// A window's world in English: drives "/" and the samples, a temporary program and home folder.
struct WindowFixture {
    WindowFixture() {
        setLanguage("2");
        fs.setFreeSpace(std::uint64_t{1} << 50); // room for any restore file
    }
    ProgramPlace place;
    FaultyFileSystem fs;
    FakeDrives drives{
        {{"/", "/", DriveType::Fixed, "root"}, {pathToUtf8(samples()), samples(), DriveType::Fixed, {}}}};
    ScriptedMessageBoxes boxes;
    AppContext context{fs, drives, place, place.localisation, boxes, place.path()};
    std::unique_ptr<Hauptform> window;

    void newWindow() { (window = std::make_unique<Hauptform>(context))->show(); }
    void setLanguage(const char* languageId) {
        place.localisation.settings().languageId = languageId;
        place.localisation.applyLanguageId();
    }
};

// Opens a folder as a double-click in the tree does, answering the list-order question, if
// it comes, with `order` (0 standard, 1 alphabetical, -1 its close box); true if it came.
bool openDirectory(Hauptform& window, const std::filesystem::path& path, int order = 0);

} // namespace lw::ui::test
