// Driving the window in tests: the real file system with chosen room and faults, a drive
// list and program folder as the test sets them, message boxes that answer from a script
// and record what they showed, and a hand that answers the modal dialogs as they open.
#pragma once

#include "platform/Path.h"
#include "support/FakeDrives.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"
#include "ui/Hauptform.h"
#include "ui_dialogs/DialogTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <map>
#include <memory>

namespace lw::ui::test {

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
inline std::filesystem::path samples(const std::string& kind = {}) {
    const std::filesystem::path dir = std::filesystem::absolute(sourceDir() / "samples");
    return kind.empty() ? dir : dir / kind;
}

struct ShownMessage {
    QMessageBox::Icon icon;
    QString text;
    QMessageBox::StandardButtons buttons;
};

class ScriptedMessageBoxes : public MessageBoxes {
public:
    QList<ShownMessage> shown;
    // Taken in order; when none is left a Yes/No question is answered Yes, anything else OK.
    QList<QMessageBox::StandardButton> answers;
    // Runs while the message is shown, to look at the window behind it.
    std::function<void(const ShownMessage&)> onShow;

    QMessageBox::StandardButton show(QWidget*, QMessageBox::Icon icon, const QString&, const QString& text,
                                     QMessageBox::StandardButtons buttons) override;
};

// Answers the modal dialogs as they open: each entry names a dialog (its objectName) and
// what to do in it; a dialog without an entry is closed as by its close box.
class DialogScript : public QObject {
public:
    DialogScript();
    std::map<QString, std::function<void(QDialog&)>> actions;
    QStringList seen;

private:
    QTimer m_timer;
};

// Clicks the dialog's button of that objectName; a disabled one ends the run (the dialog
// would wait for ever).
inline void click(QDialog& dialog, const char* buttonName) {
    QAbstractButton* button = child<QAbstractButton>(dialog, buttonName);
    if (!button->isEnabled())
        qFatal("%s is disabled", buttonName);
    button->click();
}

// What a window needs, with English texts, a drive list holding "/" and the samples'
// folder, and a temporary folder as its program folder and home folder; newWindow()
// makes and shows a window over it.
struct WindowFixture {
    WindowFixture();
    ProgramPlace place;
    FaultyFileSystem fs;
    FakeDrives drives{
        {{"/", "/", DriveType::Fixed, "root"}, {pathToUtf8(samples()), samples(), DriveType::Fixed, {}}}};
    ScriptedMessageBoxes boxes;
    AppContext context{fs, drives, place, place.localisation, boxes, place.path()};
    std::unique_ptr<Hauptform> window;

    void newWindow();
    void setLanguage(const char* languageId);
};

// Opens a folder as a double-click in the folder tree does; the list-order question, if
// it comes, is answered with `order` (0 standard, 1 alphabetical, -1 its close box).
// Returns whether the question came.
bool openDirectory(Hauptform& window, const std::filesystem::path& path, int order = 0);

} // namespace lw::ui::test
