// The plan of a transfer as the command line prints it (transfer --dry-run).
#pragma once

#include "card/TransferPlan.h"
#include "cli/Cli.h"

#include <string>

namespace lw {

// Prints the plan: a line per marked song, the folders, and a closing summary; or, with
// json, one JSON object. Returns the exit status the real run would end with.
int printPlan(CliContext& ctx, const TransferPlan& plan, const TransferSetup& setup,
              const std::string& target, bool json);

} // namespace lw
