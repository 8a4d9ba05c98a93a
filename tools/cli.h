// The command-line tool's logic, callable in-process: the `kam` executable is a
// few lines around RunCli, and the tests drive RunCli with argument vectors
// and string streams.
#pragma once

#include <iosfwd>

namespace kamtool {

// Exit codes of RunCli.
constexpr int kExitOk = 0;       // every library call completed (status >= 0)
constexpr int kExitFailed = 1;   // some library call returned an error status
constexpr int kExitUsage = 2;    // the command line could not be understood

// Runs one command line (argv[0] is the program name, argv[1] the subcommand).
// Results go to out; usage errors and diagnostics go to err. Library switches
// the command changes are restored before it returns, so calls can follow each
// other in one process. Never throws.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace kamtool
