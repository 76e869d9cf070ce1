#include "cli/CliProgress.h"

#include <cstdio>
#include <ostream>

namespace lw {

namespace {

namespace fs = std::filesystem;

// At most ten redraws a second: a terminal that shows more is only slower, not clearer.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
// Megabytes as card makers count them (a 64 MB card holds 63.3 million bytes).
constexpr double kMegabyte = 1e6;

// An output file that counts the bytes it adds to its file (a rewrite in place adds none).
template <class Base>
class CountedOutput : public Base {
public:
    CountedOutput(std::unique_ptr<Base> inner, std::uint64_t& bytes)
        : m_inner(std::move(inner)), m_bytes(bytes) {}
    Status write(std::span<const std::uint8_t> data) override {
        Status s = m_inner->write(data);
        if (s)
            m_bytes += data.size();
        return s;
    }
    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        return m_inner->writeAt(offset, data);
    }
    // Handed on whole, so that the system's own copy between the files is still used.
    AppendOutcome appendFrom(InputFile& source, std::uint64_t length,
                             std::span<std::uint8_t> buffer) override {
        AppendOutcome outcome = m_inner->appendFrom(source, length, buffer);
        m_bytes += outcome.appended;
        return outcome;
    }
    Status close() override { return m_inner->close(); }

protected:
    std::unique_ptr<Base> m_inner;
    std::uint64_t& m_bytes;
};

class CountedStagedFile : public CountedOutput<StagedFile> {
public:
    using CountedOutput::CountedOutput;
    Status commit() override { return m_inner->commit(); }
};

// Passes everything on to the command's file system and counts the bytes written.
class CountingFileSystem : public FileSystem {
public:
    CountingFileSystem(FileSystem& inner, std::uint64_t& bytes) : m_inner(inner), m_bytes(bytes) {}

    bool isFile(const fs::path& p) override { return m_inner.isFile(p); }
    bool isDirectory(const fs::path& p) override { return m_inner.isDirectory(p); }
    bool exists(const fs::path& p) override { return m_inner.exists(p); }
    Result<std::uint64_t> fileSize(const fs::path& p) override { return m_inner.fileSize(p); }
    Result<std::vector<DirectoryEntry>> listDirectory(const fs::path& d) override {
        return m_inner.listDirectory(d);
    }
    Result<std::unique_ptr<InputFile>> openRead(const fs::path& p) override { return m_inner.openRead(p); }
    Result<std::unique_ptr<OutputFile>> openWrite(const fs::path& p) override {
        return counted(m_inner.openWrite(p));
    }
    Result<std::unique_ptr<OutputFile>> createNew(const fs::path& p) override {
        return counted(m_inner.createNew(p));
    }
    Result<std::unique_ptr<StagedFile>> createStaged(const fs::path& p) override {
        auto file = m_inner.createStaged(p);
        if (!file)
            return file.status();
        return std::unique_ptr<StagedFile>(std::make_unique<CountedStagedFile>(std::move(*file), m_bytes));
    }
    Status createDirectory(const fs::path& p) override { return m_inner.createDirectory(p); }
    Status removeTree(const fs::path& p, bool force) override { return m_inner.removeTree(p, force); }
    Status removeFile(const fs::path& p) override { return m_inner.removeFile(p); }
    Result<std::uint64_t> freeSpace(const fs::path& p) override { return m_inner.freeSpace(p); }
    Result<std::uint64_t> allocationUnit(const fs::path& p) override { return m_inner.allocationUnit(p); }
    Result<std::uint64_t> directorySize(const fs::path& d) override { return m_inner.directorySize(d); }
    std::optional<FileId> identity(const fs::path& p, bool follow) override {
        return m_inner.identity(p, follow);
    }
    Result<std::unique_ptr<OutputLock>> lockOutput(const fs::path& folder, const std::string& name) override {
        return m_inner.lockOutput(folder, name);
    }
    Status flushTree(const fs::path& folder) override { return m_inner.flushTree(folder); }

private:
    Result<std::unique_ptr<OutputFile>> counted(Result<std::unique_ptr<OutputFile>> file) {
        if (!file)
            return file.status();
        return std::unique_ptr<OutputFile>(
            std::make_unique<CountedOutput<OutputFile>>(std::move(*file), m_bytes));
    }

    FileSystem& m_inner;
    std::uint64_t& m_bytes;
};

// "0:41", or "1:02:41" from an hour on.
std::string clockText(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

} // namespace

CliProgress::CliProgress(CliContext& ctx, bool quiet, std::string_view unit)
    : m_ctx(ctx), m_quiet(quiet), m_showLine(ctx.errIsTerminal && !quiet),
      m_holdOutput(m_showLine && ctx.outIsTerminal), m_unit(unit) {}

CliProgress::~CliProgress() {
    finish();
}

FileSystem& CliProgress::watch(FileSystem& fs) {
    if (!m_showLine)
        return fs;
    m_counting = std::make_unique<CountingFileSystem>(fs, m_bytes);
    return *m_counting;
}

void CliProgress::start(int total) {
    m_total = total;
    m_done = 0;
    m_start = Clock::now();
    if (m_showLine)
        draw(m_start);
}

void CliProgress::print(const std::string& line) {
    if (m_quiet)
        return;
    if (m_holdOutput)
        m_held += line;
    else
        m_ctx.out << line;
}

void CliProgress::advance() {
    ++m_done;
    if (!m_showLine)
        return;
    const Clock::time_point now = Clock::now();
    if (!m_lastDraw || now - *m_lastDraw >= kRedrawInterval)
        draw(now);
}

void CliProgress::finish() {
    erase();
    if (!m_held.empty()) {
        m_ctx.out << m_held << std::flush;
        m_held.clear();
    }
}

void CliProgress::draw(Clock::time_point now) {
    m_lastDraw = now;
    const double elapsed = std::chrono::duration<double>(now - m_start).count();
    const double megabytes = static_cast<double>(m_bytes) / kMegabyte;
    const std::string left =
        m_done > 0 && elapsed > 0 ? clockText(elapsed * (m_total - m_done) / m_done) : std::string("-:--");
    char text[160];
    std::snprintf(text, sizeof text, "%d/%d %s  %.1f MB  %.1f MB/s  %s left", m_done, m_total, m_unit.c_str(),
                  megabytes, elapsed > 0 ? megabytes / elapsed : 0.0, left.c_str());
    const std::string line = text;
    if (!m_held.empty()) {
        erase();
        m_ctx.out << m_held << std::flush;
        m_held.clear();
    }
    // Blanks over what is left of a longer line before.
    const std::size_t blanks = m_width > line.size() ? m_width - line.size() : 0;
    m_ctx.err << '\r' << line << std::string(blanks, ' ') << std::flush;
    m_width = line.size();
}

void CliProgress::erase() {
    if (m_width == 0)
        return;
    m_ctx.err << '\r' << std::string(m_width, ' ') << '\r' << std::flush;
    m_width = 0;
}

} // namespace lw
