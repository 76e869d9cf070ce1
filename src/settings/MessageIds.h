// The numbers of the messages the program shows, each named once. The texts themselves are
// in the two message tables (MessageTables.cpp), looked up by these numbers.
#pragma once

namespace lw::msg {

// The list-order question.
inline constexpr int kOrderAlphabetic = 17;
inline constexpr int kOrderStandard = 18;
inline constexpr int kOrderHint = 19;
inline constexpr int kOrderQuestion = 20;

// Drives and loading a backup.
inline constexpr int kDriveNotAvailable = 33;
inline constexpr int kDriveErrorStart = 34; // "Error ", then the error number
inline constexpr int kDriveErrorCause = 35; // " cause of ", then the drive
inline constexpr int kBackupFound = 36;
inline constexpr int kLoadBackupQuestion = 37;
inline constexpr int kQuestionTitle = 38;
inline constexpr int kSpaceWarningStart = 39; // then the program's drive
inline constexpr int kSpaceWarningSize = 40;  // then the megabytes
inline constexpr int kSpaceWarningMegabytes = 41;
inline constexpr int kSpaceWarningEnd = 42;
inline constexpr int kSpaceWarningTitle = 43;
inline constexpr int kTablesUnreadable = 129;
inline constexpr int kTablesUnreadableTitle = 130;

// The transfer run. Where the two orders of the card show the same text under two numbers,
// the first is the structure-keeping order's, the second the sequential order's.
inline constexpr int kFormattedCardWarning = 44;
inline constexpr int kFormattedCardTitle = 45;
inline constexpr int kKeepFoldersUsedUp = 46, kKeepFoldersUsedUpTitle = 47;
inline constexpr int kKeepNotFound = 48;
inline constexpr int kKeepRestoreCardFull = 49, kKeepRestoreCardFullTitle = 50;
inline constexpr int kKeepOk = 51;
inline constexpr int kKeepCancelQuestion = 52, kKeepCancelTitle = 53;
inline constexpr int kSequentialFoldersUsedUp = 54, kSequentialFoldersUsedUpTitle = 55;
inline constexpr int kSequentialNotFound = 56;
inline constexpr int kSequentialRestoreCardFull = 57, kSequentialRestoreCardFullTitle = 58;
inline constexpr int kSequentialOk = 59;
inline constexpr int kSequentialCancelQuestion = 60, kSequentialCancelTitle = 61;
inline constexpr int kRestoreClosingStart = 62; // then the program's folder
inline constexpr int kRestoreClosingEnd = 63;
inline constexpr int kCardClosingTitle = 64;
inline constexpr int kCardClosingStart = 65; // then the card root
inline constexpr int kCardClosingEnd = 66;
inline constexpr int kRestoreClosingTitle = 67;
inline constexpr int kDeniedErrorStart = 68; // error report of a refused access: "Error ", number,
inline constexpr int kDeniedErrorCause = 69; // " cause of ", source, reason,
inline constexpr int kDeniedErrorTitle = 70;
inline constexpr int kErrorStart = 71; // error report of any other failure
inline constexpr int kErrorCause = 72;
inline constexpr int kCheckCardAdvice = 73; // the advice after a refused access on the card
inline constexpr int kErrorTitle = 74;
inline constexpr int kNoEntry = 75; // row result of a song with no folder to go into
inline constexpr int kKeepCardFull = 76, kKeepCardFullTitle = 77;
inline constexpr int kSequentialCardFull = 78, kSequentialCardFullTitle = 79;
inline constexpr int kCardNotAnswering = 131;
inline constexpr int kCardNotAnsweringTitle = 132;

// The main window.
inline constexpr int kHint = 80;
inline constexpr int kCancelButton = 81;
inline constexpr int kOptionSequential = 82;
inline constexpr int kOptionKeepStructure = 83;
inline constexpr int kTransferButton = 84;
inline constexpr int kAllMarksTip = 85;
inline constexpr int kPanelAvailable = 86;
inline constexpr int kPanelSelected = 87;
inline constexpr int kPanelKind = 88;
inline constexpr int kDirectoryTip = 89;
inline constexpr int kBackupPathLabel = 90;
inline constexpr int kColumnName = 91;
inline constexpr int kColumnNumber = 92;
inline constexpr int kColumnSongName = 93;
inline constexpr int kMenuProgram = 95;
inline constexpr int kMenuLanguage = 96;
inline constexpr int kMenuEnd = 97;
inline constexpr int kMenuExecute = 98;
inline constexpr int kMenuTransfer = 99;
inline constexpr int kHelpTitle = 100;
inline constexpr int kMenuHelp = 101;
inline constexpr int kMenuInfo = 102;
inline constexpr int kCancelPressed = 103;   // the cancel button's pressed-state text
inline constexpr int kTransferPressed = 104; // the transfer button's pressed-state text

// The about window, the language dialog and the transfer's set-up dialogs.
inline constexpr int kVersionLabel = 113;
inline constexpr int kAboutTitle = 114;
inline constexpr int kClusterSizeFrame = 146;
inline constexpr int kCardSizeFrame = 147;
inline constexpr int kCardSizePrompt = 148;
inline constexpr int kReaderAcceptedOnLoad = 161, kReaderAcceptedOnLoadHint = 162;
inline constexpr int kReaderRejectedOnLoad = 163;
inline constexpr int kReaderAccepted = 164, kReaderAcceptedHint = 165;
inline constexpr int kReaderRejected = 166;
inline constexpr int kReaderTitle = 167;
inline constexpr int kReaderCancel = 168;
inline constexpr int kReaderStart = 169;
inline constexpr int kReaderInsertCard = 170;
inline constexpr int kReaderSelect = 171;
inline constexpr int kLanguageTitle = 177;
inline constexpr int kTransferModeTitle = 193;
inline constexpr int kTransferModeCard = 194;
inline constexpr int kTransferModeRestoreFile = 195;

} // namespace lw::msg
