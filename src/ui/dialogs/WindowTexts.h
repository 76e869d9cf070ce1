// The window's own texts: those that the numbered message tables do not hold (the menu
// item that opens a backup folder, the question about the songs a card holds already,
// the warning about a short table file, the card preview). German and English stand side
// by side in one table in WindowTexts.cpp; they follow the lookup's language like the
// numbered messages.
#pragma once

#include "settings/Localisation.h"

#include <QString>

#include <cstddef>

namespace lw::ui {

enum class WindowText {
    OpenBackupFolderItem,  // menu item, with its access key
    OpenBackupFolderTitle, // the folder dialog's title
    ShortTable,            // %1: the table files that were shorter than their layout
    CardHoldsSongs,        // %1: the card, %2: its songs (SongCount...), %3: its folders (FolderCount...)
    AnswerReplace,         // the question's answers, with their access keys
    AnswerAdd,
    AnswerCancel,
    SongCountOne,
    SongCountMany, // %1: the number
    FolderCountOne,
    FolderCountMany, // %1: the number
    DriveNotStored,  // %1: the card reader's drive, whose name the settings file cannot hold

    // The card preview.
    PreviewItem, // menu item
    PreviewTitle,
    PreviewCardReplace,  // %1: the card
    PreviewCardAdd,      // %1: the card
    PreviewRestoreFile,  // %1: the restore file, %2: the megabytes of the card it is meant for
    PreviewColumnFolder, // the folder tree's columns after the number (message 92)
    PreviewColumnFiles,
    PreviewNoTitle,
    PreviewOnCard, // %1: its songs (SongCount...)
    PreviewLeftOut,
    PreviewNoneLeftOut,
    PreviewColumnReason,
    ReasonNotFound,
    ReasonNoRoom,
    ReasonNoFolder,
    ReasonFailed,
    ReasonSkipped,
    ReasonNotReached,
    PreviewFill,
    PreviewFillCard,         // %1, %2: megabytes charged, megabytes free on the card
    PreviewFillRestore,      // %1, %2: megabytes charged, megabytes the card holds
    PreviewSongsTransferred, // %1 of %2 marked songs
    PreviewEndComplete,
    PreviewEndFull,
    PreviewEndFolders,
    PreviewEndFailed,  // %1: the file and the reason
    PreviewEndRefused, // %1: the file and the reason
    PreviewNothingWritten,
    PreviewClose,
};

QString windowText(Localisation& localisation, WindowText text);

// "1 song" / "7 songs", "1 folder" / "5 folders", in the program's language.
QString songCountText(Localisation& localisation, std::size_t songs);
QString folderCountText(Localisation& localisation, std::size_t folders);

} // namespace lw::ui
