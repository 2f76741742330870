// Other processes for tests: run a command line to its end and read what it printed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brintova::wintest {

struct ProcessResult {
  std::uint32_t exit_code = 0;
  std::string output;  // standard output and error, as the process wrote them
};

// Runs `command_line` (the program and its arguments, quoted as the system parses them) and
// waits up to `timeout_ms` for it. Fails the test when it cannot be started or does not end.
ProcessResult RunProcess(std::u16string_view command_line, std::uint32_t timeout_ms = 30'000);

// The system's reg.exe by its full path: a plain "reg" could start a program of that name in
// the current folder.
std::u16string RegExe();

}  // namespace brintova::wintest
