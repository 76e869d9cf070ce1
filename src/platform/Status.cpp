#include "platform/Status.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace lw {

std::string Status::toString() const {
    if (isOk())
        return "OK";
    if (m_path.empty())
        return m_reason;
    return m_path + ": " + m_reason;
}

Status statusFromErrno(int err, std::string path) {
    ErrorCode code = ErrorCode::IoError;
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        code = ErrorCode::NotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        code = ErrorCode::PermissionDenied;
        break;
    case EEXIST:
        code = ErrorCode::AlreadyExists;
        break;
    case EISDIR:
        code = ErrorCode::NotAFile;
        break;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        code = ErrorCode::NoSpace;
        break;
    case ENXIO:
    case ENODEV:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
        code = ErrorCode::DeviceUnavailable;
        break;
    default:
        break;
    }
    return Status::error(code, std::move(path), std::generic_category().message(err), err);
}

} // namespace lw
