#include "UiTestSupport.h"
#include "platform/Path.h"
#include "ui/Hauptform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>

namespace lw::ui::test {

std::filesystem::path sourceDir() {
#ifdef _WIN32
    // With its drive: a source folder given as a Linux path ("/work/liedwerk", a build run
    // under Wine) lies on the current drive, and Qt's file system model wants the drive.
    return std::filesystem::absolute(pathFromUtf8(LIEDWERK_SOURCE_DIR));
#else
    return pathFromUtf8(LIEDWERK_SOURCE_DIR);
#endif
}

std::filesystem::path sampleDir(const std::string& kind) {
    return sourceDir() / "samples" / kind;
}

QString toQString(const std::filesystem::path& path) {
    return QString::fromStdString(pathToUtf8(path));
}

Result<std::vector<DirectoryEntry>> TestFileSystem::listDirectory(const std::filesystem::path& dir) {
    for (const auto& [failing, status] : failingListings)
        if (failing.lexically_normal() == dir.lexically_normal())
            return status;
    return FaultyFileSystem::listDirectory(dir);
}

Result<std::uint64_t> TestFileSystem::directorySize(const std::filesystem::path& dir) {
    if (directorySizeError)
        return *directorySizeError;
    if (directoryBytes)
        return *directoryBytes;
    return FaultyFileSystem::directorySize(dir);
}

QMessageBox::StandardButton ScriptedMessageBoxes::show(QWidget*, QMessageBox::Icon icon, const QString& title,
                                                       const QString& text,
                                                       QMessageBox::StandardButtons buttons) {
    shown.append({icon, title, text, buttons, {}});
    if (onShow)
        onShow(shown.last());
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
}

int ScriptedMessageBoxes::choose(QWidget*, const QString& title, const QString& text,
                                 const QList<Answer>& answers, int defaultAnswer, int) {
    QStringList captions;
    for (const Answer& answer : answers)
        captions << answer.text;
    shown.append({QMessageBox::Question, title, text, QMessageBox::NoButton, captions});
    if (onShow)
        onShow(shown.last());
    return choices.isEmpty() ? defaultAnswer : choices.takeFirst();
}

DialogScript::DialogScript() {
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        // A dialog is answered once; the next one may be built at the same address.
        if (!dialog || !dialog->isVisible() || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        seen << dialog->objectName();
        const auto it = actions.find(dialog->objectName());
        if (it != actions.end())
            it->second(*dialog);
        else
            dialog->reject();
    });
    m_timer.start();
}

void click(QDialog& dialog, const char* buttonName) {
    auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(buttonName));
    if (!button)
        qFatal("no button %s", buttonName);
    button->click();
}

WindowFixture::WindowFixture()
    : localisation(fs, pathFromUtf8(temp.filePath(QStringLiteral("Liedwerk.ini")).toStdString()),
                   std::string()),
      context{fs, drives, programFolder, localisation, boxes, {}} {
    programFolder.folder = pathFromUtf8(temp.path().toStdString());
    context.homeFolder = programFolder.folder;
    drives.drives = {{"/", "/", DriveType::Fixed, "root"},
                     {pathToUtf8(sourceDir() / "samples"), sourceDir() / "samples", DriveType::Fixed, {}}};
    fs.setFreeSpace(std::uint64_t{1} << 50); // no space warning unless a test asks for one
    setLanguage("2");
}

void WindowFixture::setLanguage(const char* languageId) {
    localisation.settings().languageId = languageId;
    localisation.applyLanguageId();
}

bool openDirectory(Hauptform& window, const std::filesystem::path& path, int order) {
    DialogScript script;
    if (order >= 0)
        script.actions[QStringLiteral("Dialog_Liste")] = [order](QDialog& d) {
            click(d, order == 0 ? "Button_check_0" : "Button_check_1");
        };
    window.openBackupFolder(toQString(path));
    return script.seen.contains(QStringLiteral("Dialog_Liste"));
}

} // namespace lw::ui::test
