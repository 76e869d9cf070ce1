#include "UiTestSupport.h"
#include "platform/Path.h"
#include "ui/Hauptform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTreeView>

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

bool TestFileSystem::isFile(const std::filesystem::path& path) {
    return realFileSystem().isFile(path);
}
bool TestFileSystem::isDirectory(const std::filesystem::path& path) {
    return realFileSystem().isDirectory(path);
}
Result<std::uint64_t> TestFileSystem::fileSize(const std::filesystem::path& path) {
    return realFileSystem().fileSize(path);
}
Result<std::vector<DirectoryEntry>> TestFileSystem::listDirectory(const std::filesystem::path& dir) {
    for (const auto& [failing, status] : failingListings)
        if (failing.lexically_normal() == dir.lexically_normal())
            return status;
    return realFileSystem().listDirectory(dir);
}
Result<std::unique_ptr<InputFile>> TestFileSystem::openRead(const std::filesystem::path& path) {
    return realFileSystem().openRead(path);
}
Result<std::unique_ptr<OutputFile>> TestFileSystem::openWrite(const std::filesystem::path& path) {
    return realFileSystem().openWrite(path);
}
Status TestFileSystem::createDirectory(const std::filesystem::path& path) {
    return realFileSystem().createDirectory(path);
}
Status TestFileSystem::removeTree(const std::filesystem::path& path, bool forceReadOnly) {
    return realFileSystem().removeTree(path, forceReadOnly);
}
Status TestFileSystem::removeFile(const std::filesystem::path& path) {
    return realFileSystem().removeFile(path);
}
Status TestFileSystem::copyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    return realFileSystem().copyFile(from, to);
}
Result<std::uint64_t> TestFileSystem::freeSpace(const std::filesystem::path& path) {
    if (freeBytes)
        return *freeBytes;
    return realFileSystem().freeSpace(path);
}
Result<std::uint64_t> TestFileSystem::directorySize(const std::filesystem::path& dir) {
    if (directorySizeError)
        return *directorySizeError;
    if (directoryBytes)
        return *directoryBytes;
    return realFileSystem().directorySize(dir);
}

QMessageBox::StandardButton ScriptedMessageBoxes::show(QWidget*, QMessageBox::Icon icon, const QString& title,
                                                       const QString& text,
                                                       QMessageBox::StandardButtons buttons) {
    shown.append({icon, title, text, buttons});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
}

ListOrderAnswerer::ListOrderAnswerer(int answerIndex) : answer(answerIndex) {
    connect(&m_timer, &QTimer::timeout, this, &ListOrderAnswerer::poll);
    m_timer.start(5);
}

void ListOrderAnswerer::poll() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->objectName() != QStringLiteral("Dialog_Liste"))
        return;
    ++answered;
    if (beforeAnswer)
        beforeAnswer();
    if (answer < 0) {
        dialog->close();
        return;
    }
    auto* button = dialog->findChild<QPushButton*>(QStringLiteral("Button_check_%1").arg(answer));
    if (button)
        button->click();
}

WindowFixture::WindowFixture()
    : localisation(fs, pathFromUtf8(temp.filePath(QStringLiteral("Liedwerk.ini")).toStdString()),
                   std::string()),
      context{fs, drives, programFolder, localisation, boxes, {}} {
    programFolder.folder = pathFromUtf8(temp.path().toStdString());
    context.homeFolder = pathFromUtf8(temp.path().toStdString());
    drives.drives = {{"/", "/", DriveType::Fixed, "root"},
                     {pathToUtf8(sourceDir() / "samples"), sourceDir() / "samples", DriveType::Fixed, {}}};
    fs.freeBytes = std::uint64_t{1} << 50; // no space warning unless a test asks for one
    setLanguage("2");
}

void WindowFixture::setLanguage(const char* languageId) {
    localisation.settings().languageId = languageId;
    localisation.applyLanguageId();
}

void chooseDirectory(Hauptform& window, const QString& path) {
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("Dir1"));
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    tree->setCurrentIndex(model->index(path));
}

DialogScript::DialogScript() {
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == m_last || !dialog->isVisible())
            return;
        m_last = dialog;
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

} // namespace lw::ui::test
