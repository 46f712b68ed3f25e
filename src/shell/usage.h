// The texts of the two informational command lines: `ardentix --help`
// (usage: the four positional parameters, the type words, the option words
// and the exit statuses) and `ardentix --version` (product title, model code
// and version text). Only these exact single arguments are informational;
// every other command line is positional.
#ifndef ARDENTIX_SHELL_USAGE_H_
#define ARDENTIX_SHELL_USAGE_H_

#include <optional>
#include <string>
#include <vector>

namespace ardentix::shell {

std::string UsageText();
std::string VersionText();

// The text to print for `args` (the arguments after the program name) when
// they are exactly "--help" or "--version"; nullopt for any other command
// line.
std::optional<std::string> InformationalText(const std::vector<std::string>& args);

}  // namespace ardentix::shell

#endif  // ARDENTIX_SHELL_USAGE_H_
