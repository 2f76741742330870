#include "platform/com/standin_support.h"

#include <tlhelp32.h>

#include "platform/com/com_objects.h"
#include "platform/com/dispatch.h"

namespace brintova::com::testing {

std::u16string StandInCalls(Application& application) {
  return Get(dynamic_cast<ComApplication&>(application).dispatch(), u"StandInCalls").ToText();
}

DWORD StandInProcessId(Application& application) {
  return static_cast<DWORD>(
      Get(dynamic_cast<ComApplication&>(application).dispatch(), u"StandInProcessId").ToInt32());
}

int StandInProcesses() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"brintova_standin.exe") == 0) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

bool ProcessEnds(DWORD process_id, DWORD milliseconds) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
  if (process == nullptr) return true;  // already gone
  const bool ended = WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

FixtureFiles::FixtureFiles() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  folder_ = FromWide(temp, wcslen(temp)) + u"brintova-automation-" +
            FromWide(std::to_wstring(GetCurrentProcessId()).c_str(),
                     std::to_wstring(GetCurrentProcessId()).size());
  CreateDirectoryW(Wide(folder_), nullptr);
  for (const char16_t* name :
       {u"sparse_corners.xlsx", u"retyped_texts.xlsx", u"one_cell.xlsx", u"template.xlt"}) {
    HANDLE file = CreateFileW(Wide(Path(name)), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
  }
}

FixtureFiles::~FixtureFiles() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(folder_ + u"\\*"), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileW(Wide(folder_ + u"\\" + FromWide(found.cFileName, wcslen(found.cFileName))));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(Wide(folder_));
}

}  // namespace brintova::com::testing
