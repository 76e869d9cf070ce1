// Errors as values. A Status carries what failed (a code), on which file or folder
// (the path, as UTF-8 text), and the operating system's own words for the reason.
// No exception crosses a layer of the core; every operation that can fail returns
// a Status or a Result<T>.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace lw {

enum class ErrorCode {
    Ok,
    NotFound,          // file or folder does not exist
    PermissionDenied,  // read-only file, write-protected medium, no access
    NoSpace,           // the medium is full
    DeviceUnavailable, // no medium, drive not ready
    IoError,           // a read or write failed
    Corrupt,           // a file's content does not have the expected form
    InvalidArgument,   // a request that cannot be carried out as asked
    NotAFile,          // not a regular file (a FIFO, a device, a folder) where a file is needed
    AlreadyExists,     // a new file or folder was to be made, but something has its name
    Busy,              // another run is writing the same output
    Cancelled,
};

class Status {
public:
    Status() = default;
    static Status ok() { return Status(); }
    static Status error(ErrorCode code, std::string path, std::string reason, int systemCode = 0) {
        Status s;
        s.m_code = code;
        s.m_path = std::move(path);
        s.m_reason = std::move(reason);
        s.m_systemCode = systemCode;
        return s;
    }

    bool isOk() const { return m_code == ErrorCode::Ok; }
    explicit operator bool() const { return isOk(); }
    ErrorCode code() const { return m_code; }
    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }
    int systemCode() const { return m_systemCode; }

    // "path: reason", for logs and command-line messages.
    std::string toString() const;

private:
    ErrorCode m_code = ErrorCode::Ok;
    std::string m_path;
    std::string m_reason;
    int m_systemCode = 0;
};

// A value or the Status that explains why there is none.
template <class T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Status status) : m_status(std::move(status)) {}

    bool isOk() const { return m_status.isOk(); }
    explicit operator bool() const { return isOk(); }
    const Status& status() const { return m_status; }
    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }

private:
    std::optional<T> m_value;
    Status m_status;
};

// Builds a Status from an errno value, with the system's text for it.
Status statusFromErrno(int err, std::string path);

} // namespace lw
