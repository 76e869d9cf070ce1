// A drive list as a test sets it: whatever drives, types and labels the case needs.
#pragma once

#include "platform/Drives.h"

#include <utility>
#include <vector>

namespace lw::test {

class FakeDrives : public Drives {
public:
    FakeDrives() = default;
    explicit FakeDrives(std::vector<DriveInfo> list) : drives(std::move(list)) {}
    std::vector<DriveInfo> drives;
    std::vector<DriveInfo> list() override { return drives; }
};

} // namespace lw::test
