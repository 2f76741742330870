#include "support/win32/processes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace brintova::wintest {

using win32::FromWide;
using win32::Wide;

ProcessResult RunProcess(std::u16string_view command_line, std::uint32_t timeout_ms) {
  ProcessResult result;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
    ADD_FAILURE() << "no pipe: error " << GetLastError();
    return result;
  }
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::wstring command = Wide(command_line);
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(write_end);
  if (!started) {
    ADD_FAILURE() << "cannot start " << ToUtf8(command_line) << ": error " << GetLastError();
    CloseHandle(read_end);
    return result;
  }
  // Read while waiting for the end, never for the pipe's end: a process it starts (wine's
  // desktop among them) may keep the pipe open long after it is gone.
  const auto drain = [&] {
    DWORD available = 0;
    while (PeekNamedPipe(read_end, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char chunk[4096];
      DWORD got = 0;
      if (!ReadFile(read_end, chunk, std::min<DWORD>(available, sizeof(chunk)), &got, nullptr) ||
          got == 0) {
        return;
      }
      result.output.append(chunk, got);
    }
  };
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  bool ended = false;
  while (!ended && GetTickCount64() < end) {
    ended = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
    drain();
  }
  CloseHandle(read_end);
  if (!ended) {
    ADD_FAILURE() << ToUtf8(command_line) << " did not end";
    TerminateProcess(process.hProcess, 1);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  result.exit_code = code;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

std::u16string RegExe() {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  return u"\"" + FromWide(system) + u"\\reg.exe\"";
}

}  // namespace brintova::wintest
