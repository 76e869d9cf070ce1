// Doubles and helpers for driving the window in tests: the real file system with chosen
// free space, directory sizes, listing failures and faults (FaultyFileSystem), a drive list
// and program folder as the test sets them, message boxes that answer from a script and
// record what they showed, and a hand that answers the modal dialogs as they open.
#pragma once

#include "platform/ProgramFolder.h"
#include "settings/Localisation.h"
#include "support/FakeDrives.h"
#include "support/FaultyFileSystem.h"
#include "ui/AppContext.h"
#include "ui/MessageBoxes.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

class QDialog;

namespace lw::ui {
class Hauptform;
}

namespace lw::ui::test {

std::filesystem::path sourceDir();
// A shipped sample backup: "kn2000", "kn3000", "kn5000", "kn6000".
std::filesystem::path sampleDir(const std::string& kind);
QString toQString(const std::filesystem::path& path);

using lw::test::FakeDrives;

class FakeProgramFolder : public ProgramFolder {
public:
    std::filesystem::path folder;
    std::filesystem::path path() override { return folder; }
};

class TestFileSystem : public lw::test::FaultyFileSystem {
public:
    // Answers instead of the real ones when set.
    std::optional<std::uint64_t> directoryBytes;
    std::optional<Status> directorySizeError;
    // Folders whose listing fails with the given status.
    std::map<std::filesystem::path, Status> failingListings;

    Result<std::vector<DirectoryEntry>> listDirectory(const std::filesystem::path& dir) override;
    Result<std::uint64_t> directorySize(const std::filesystem::path& dir) override;
};

struct ShownMessage {
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QStringList answers; // the captions of a question with answers of its own
};

class ScriptedMessageBoxes : public MessageBoxes {
public:
    QList<ShownMessage> shown;
    // Taken in order; when none is left a Yes/No question is answered Yes, anything else OK.
    QList<QMessageBox::StandardButton> answers;
    // A question with answers of its own takes these (indexes) in order, then its default.
    QList<int> choices;
    // Runs while the message is shown, to look at the window behind it.
    std::function<void(const ShownMessage&)> onShow;

    QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                     const QString& text, QMessageBox::StandardButtons buttons) override;
    int choose(QWidget* parent, const QString& title, const QString& text, const QList<Answer>& answers,
               int defaultAnswer, int escapeAnswer) override;
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

// Clicks the dialog's button of that objectName.
void click(QDialog& dialog, const char* buttonName);

// Everything a window needs, with English texts and a drive list holding "/" and the
// samples' folder; the home folder is a temporary folder.
struct WindowFixture {
    WindowFixture();
    QTemporaryDir temp;
    TestFileSystem fs;
    FakeDrives drives;
    FakeProgramFolder programFolder;
    Localisation localisation;
    ScriptedMessageBoxes boxes;
    AppContext context;

    void setLanguage(const char* languageId);
};

// Opens a directory as a double-click in the window's directory tree does; the list-order
// question, if it comes, is answered with `order` (0 standard, 1 alphabetical, -1 its
// close box). Returns whether the question came.
bool openDirectory(Hauptform& window, const std::filesystem::path& path, int order = 0);

} // namespace lw::ui::test
