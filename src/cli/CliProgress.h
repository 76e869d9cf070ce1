// The progress line of a long command (transfer, unpack) on a terminal: how many songs or
// files of all are done, the megabytes written, the speed and the time left, on one line of
// standard error, redrawn in place at most ten times a second and cleared at the end.
//
// It is drawn only when standard error is a terminal and --quiet is not given. The command's
// lines on standard output stay exactly as they are; while standard output is a terminal
// too, they are held and written with each redraw, above the progress line, so that the two
// never share a screen line. --quiet drops those lines (errors and the closing summary are
// printed by the command itself, as always).
#pragma once

#include "cli/Cli.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lw {

class CliProgress {
public:
    // unit: what is counted, in the plural ("songs", "files").
    CliProgress(CliContext& ctx, bool quiet, std::string_view unit);
    ~CliProgress();
    CliProgress(const CliProgress&) = delete;
    CliProgress& operator=(const CliProgress&) = delete;

    // The file system the command writes through: one that counts the bytes written for the
    // line, or `fs` itself when no line is drawn.
    FileSystem& watch(FileSystem& fs);

    // The work begins: `total` songs or files.
    void start(int total);
    // A line for standard output, ended by "\n"; dropped with --quiet.
    void print(const std::string& line);
    // One more song or file done.
    void advance();
    // Writes what is held and clears the progress line, so that what follows (a message, the
    // summary) starts on a clean line. Also done when the object goes.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    void draw(Clock::time_point now);
    void erase();

    CliContext& m_ctx;
    bool m_quiet;
    bool m_showLine;   // the progress line is drawn at all
    bool m_holdOutput; // standard output is the terminal too
    std::string m_unit;
    std::string m_held; // output lines waiting for the next redraw
    int m_total = 0;
    int m_done = 0;
    std::uint64_t m_bytes = 0;
    Clock::time_point m_start;
    std::optional<Clock::time_point> m_lastDraw;
    std::size_t m_width = 0; // characters of the line on the screen now; 0: none
    std::unique_ptr<FileSystem> m_counting;
};

} // namespace lw
