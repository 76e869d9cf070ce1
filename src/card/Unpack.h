// Unpacking a restore file into a folder as a card would receive it: the folder's old
// PRIVATE is replaced, and every entry becomes a file below the folder (the backslashes
// of its name become folders). Everything that can be judged is judged before anything
// is deleted or written, so that a refused file leaves the folder untouched.
#pragma once

#include "card/RestoreFileReader.h"
#include "platform/FileSystem.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace lw {

struct UnpackPlan {
    std::filesystem::path file;       // the restore file
    std::filesystem::path root;       // the folder that receives the entries
    std::unique_ptr<InputFile> input; // open for both passes
    RestoreContents contents;
    std::unique_ptr<OutputLock> lock;
};

// Checks everything before the folder is touched: the folder exists; the restore file is a
// regular file whose whole structure, entry names and information file are sound (see
// readRestoreContents); no other run writes the folder; the restore file does not lie in
// the folder's PRIVATE (which is replaced); and no entry outside PRIVATE would replace an
// existing file or pass through a link or a file already in the folder. The restore file
// stays open, and the folder claimed, until the plan is gone.
Result<UnpackPlan> planUnpack(FileSystem& fs, const std::filesystem::path& file,
                              const std::filesystem::path& root);

// Replaces the folder's PRIVATE and writes every entry of the plan, telling `written`
// about each one; then flushes what it wrote to the medium.
Status runUnpack(FileSystem& fs, UnpackPlan& plan, const std::function<void(const RestoreEntry&)>& written);

} // namespace lw
