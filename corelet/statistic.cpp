// CStatistic: one usage report, an HTTP GET of the composed address on a thread of its own.
//
// Report only hands the base to a worker and returns: the worker reads the program's version,
// makes the machine id (a query of the management service, tens of milliseconds the first time),
// composes the address and sends it. It owns what it needs: a reference to the object (so the
// caller may release it at once), its own copy of the base and the address (so a second Report
// cannot change them underway) and a reference to this library (so that no host unloads the
// code it still runs; it gives that back as it leaves, through FreeLibraryAndExitThread).
#include <process.h>

#include <cwchar>
#include <memory>

#include "corelet/objects.h"
#include "win/com_ptr.h"
#include "win/internet.h"
#include "win/shell_paths.h"
#include "win/text.h"

namespace corelet {
namespace {

// The agent name the server has always seen, spelling included.
constexpr wchar_t kAgent[] = L"Mircrosoft Internet Explorer";
// Room for the longest version text, "65535.65535.65535.65535".
constexpr int kVersionLength = 24;

struct Request {
  win::ComPtr<stashly::IStatistic> object;
  std::wstring base;
  HMODULE library = nullptr;
};

// Sends the request and closes it as soon as the answer's headers are in; the body is not read.
// It goes as the update module's requests go: no cookie (one set by the server would tell more
// about the person than the report does), the same time-outs and the same few redirects.
void Send(const std::wstring& address) {
  win::InternetSession session = win::OpenInternetSession(kAgent);
  if (!session.handle) return;
  win::OpenWebAddress(session.handle.get(), address, nullptr);
}

std::wstring ProgramVersion() {
  win::ComPtr<stashly::IVersion> version;
  version.Attach(NewObjectAs<stashly::IVersion>(stashly::IID_IVersion));
  wchar_t text[kVersionLength] = {};
  if (version) {
    const std::wstring program = win::ModuleFilePath();
    const stashly::XStringRef path{program.c_str()};
    version->GetFileVersion(&path, text, kVersionLength);
  }
  return text;
}

std::wstring MachineId() {
  win::ComPtr<stashly::IRegister> registrar;
  registrar.Attach(NewObjectAs<stashly::IRegister>(stashly::IID_IRegister));
  char id[33] = {};
  if (registrar) registrar->GetMachineId(id);
  return win::ToWide(id, CP_THREAD_ACP);
}

unsigned __stdcall Worker(void* argument) {
  HMODULE library = nullptr;
  {
    std::unique_ptr<Request> request(static_cast<Request*>(argument));
    library = request->library;
    win::ScopedComInit com;  // for the management service's query
    if (auto address = ComposeReportAddress(request->base, ProgramVersion(), MachineId()))
      Send(*address);
  }
  ::FreeLibraryAndExitThread(library, 0);
  return 0;
}

}  // namespace

int CStatistic::Report(const wchar_t* base) {
  if (!base) return 1;
  // A base that alone fills the address is refused at once, without reading further into it.
  const size_t baseLength = ::wcsnlen(base, kReportAddressCapacity);
  if (baseLength == kReportAddressCapacity) return 1;

  auto request = std::make_unique<Request>();
  request->object = win::ComPtr<stashly::IStatistic>(this);
  request->base.assign(base, baseLength);
  // Without a hold on this library the worker could outlive its code: then nothing is sent.
  if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&Worker), &request->library))
    return 1;
  const HMODULE library = request->library;
  const uintptr_t thread = ::_beginthreadex(nullptr, 0, Worker, request.get(), 0, nullptr);
  if (!thread) {
    ::FreeLibrary(library);
    return 1;
  }
  request.release();
  ::CloseHandle(reinterpret_cast<HANDLE>(thread));
  return 1;
}

}  // namespace corelet
