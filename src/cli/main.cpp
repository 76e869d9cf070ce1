// liedwerk-cli's entry point: arguments as UTF-8, the real platform, the process's streams.
#include "cli/Cli.h"
#include "platform/Drives.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
std::string toUtf8(const wchar_t* w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<std::size_t>(n - 1) : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, w, -1, out.data(), n, nullptr, nullptr);
    return out;
}
#endif

int run(std::vector<std::string> args) {
    std::ios::sync_with_stdio(false);
    lw::CliContext ctx{lw::realFileSystem(), lw::realDrives(), std::cout, std::cerr, std::cin};
#ifdef _WIN32
    // Output bytes as written: "\n" stays one byte, as on every other system, so that the
    // output of a command is the same file everywhere (no CR LF from the C runtime's text mode).
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    ctx.inIsTerminal = _isatty(_fileno(stdin)) != 0;
    ctx.outIsTerminal = _isatty(_fileno(stdout)) != 0;
    ctx.errIsTerminal = _isatty(_fileno(stderr)) != 0;
#else
    ctx.inIsTerminal = isatty(STDIN_FILENO) != 0;
    ctx.outIsTerminal = isatty(STDOUT_FILENO) != 0;
    ctx.errIsTerminal = isatty(STDERR_FILENO) != 0;
#endif
    return lw::runCli(args, ctx);
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(toUtf8(argv[i]));
    return run(std::move(args));
}
#else
int main(int argc, char** argv) {
    return run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
