// The stand-in spreadsheet application: a small out-of-process automation server for tests.
//   brintova_standin.exe /regserver <ProgID> <fixture folder>   register it (current prefix);
//     Brintova.StandIn and any other ProgID get classes of their own (StandInClsid)
//   brintova_standin.exe /unregserver <ProgID>
//   started by COM with -Embedding: one instance per process, as the real application does.
// The *.txt files of the fixture folders (several separated by ";") describe the workbooks
// Workbooks.Open knows by file name.
#include <fstream>
#include <sstream>

#include "platform/com/standin/standin_dispatch.h"
#include "platform/com/standin/standin_instance.h"
#include "platform/text.h"

namespace brintova::standin {
namespace {

constexpr DWORD kIdleLimitMs = 120000;  // never outlive a test run that forgot it

Instance* g_instance = nullptr;

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return g_instance->application()->QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// Refuses incoming calls as "retry later" while the instance plays busy.
class BusyFilter : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return g_instance != nullptr && g_instance->Busy() ? SERVERCALL_RETRYLATER
                                                       : SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return -1; }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }
};

std::u16string ClsidText(const std::u16string& prog_id) {
  wchar_t text[64];
  StringFromGUID2(StandInClsid(prog_id), text, 64);
  return com::FromWide(text, wcslen(text));
}

LSTATUS SetKey(const std::u16string& path, const std::u16string& value) {
  HKEY key;
  LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, com::Wide(path), 0, nullptr, 0, KEY_WRITE,
                                   nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
  return status;
}

int Register(const std::u16string& prog_id, const std::u16string& folder) {
  wchar_t exe[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::u16string command =
      u"\"" + com::FromWide(exe, length) + u"\" /fixtures \"" + folder + u"\" /progid " + prog_id;
  const std::u16string clsid = ClsidText(prog_id);
  LSTATUS status = SetKey(u"CLSID\\" + clsid + u"\\LocalServer32", command);
  if (status == ERROR_SUCCESS) status = SetKey(u"CLSID\\" + clsid + u"\\ProgID", prog_id);
  if (status == ERROR_SUCCESS) status = SetKey(prog_id + u"\\CLSID", clsid);
  return status == ERROR_SUCCESS ? 0 : 1;
}

int Unregister(const std::u16string& prog_id) {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, com::Wide(prog_id));
  RegDeleteTreeW(HKEY_CLASSES_ROOT, com::Wide(u"CLSID\\" + ClsidText(prog_id)));
  return 0;
}

void LoadFolder(const std::u16string& folder, Fixtures& fixtures) {
  WIN32_FIND_DATAW found;
  const std::u16string pattern = folder + u"\\*.txt";
  HANDLE search = FindFirstFileW(com::Wide(pattern), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::u16string path =
        folder + u"\\" + com::FromWide(found.cFileName, wcslen(found.cFileName));
    std::ifstream file(com::Wide(path), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    LoadFixtures(text.str(), fixtures);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

Fixtures LoadFolders(const std::u16string& folders) {
  Fixtures fixtures;
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(u';', start);
    if (end == std::u16string::npos) end = folders.size();
    if (end > start) LoadFolder(folders.substr(start, end - start), fixtures);
    start = end + 1;
  }
  return fixtures;
}

int Serve(const std::u16string& folder, const std::u16string& prog_id) {
  const CLSID clsid = StandInClsid(prog_id);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  Instance instance(LoadFolders(folder), GetCurrentThreadId(), clsid);
  g_instance = &instance;
  AutomationObject* application = NewApplication(instance);
  instance.SetApplication(application);
  static BusyFilter filter;
  IMessageFilter* previous = nullptr;
  CoRegisterMessageFilter(&filter, &previous);
  static Factory factory;
  DWORD cookie = 0;
  // One instance per process: the next CreateObject starts another process.
  CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie);
  SetTimer(nullptr, 0, 2000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && GetTickCount() - instance.last_call() > kIdleLimitMs) break;
    DispatchMessageW(&message);
  }
  CoRevokeClassObject(cookie);
  if (instance.visible()) instance.SetVisible(false);
  g_instance = nullptr;
  application->Release();
  CoUninitialize();
  return 0;
}

}  // namespace
}  // namespace brintova::standin

int wmain(int argc, wchar_t** argv) {
  using namespace brintova;
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(com::FromWide(argv[i], wcslen(argv[i])));
  if (args.size() >= 3 && args[0] == u"/regserver") return standin::Register(args[1], args[2]);
  if (args.size() >= 2 && args[0] == u"/unregserver") return standin::Unregister(args[1]);
  std::u16string folder;
  std::u16string prog_id = u"Brintova.StandIn";
  bool embedded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == u"/fixtures" && i + 1 < args.size()) folder = args[++i];
    if (args[i] == u"/progid" && i + 1 < args.size()) prog_id = args[++i];
    if (AsciiLower(args[i]) == u"-embedding" || AsciiLower(args[i]) == u"/embedding") {
      embedded = true;
    }
  }
  return embedded ? standin::Serve(folder, prog_id) : 2;
}
