// Corelet.dll bound by name from this program's folder, as the program binds it, and called
// through the raw slots of its tables, as any Windows caller does.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "abi/xunknown.h"
#include "testing/loopback.h"
#include "win/internet.h"
#include "win/module.h"
#include "win/thread.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

using testing::Loopback;

// Slot n of an object's table, called as the binary interface has it.
template <typename Result, typename... Args>
Result CallSlot(void* object, int slot, Args... args) {
  using Fn = Result(WINAPI*)(void*, Args...);
  return reinterpret_cast<Fn>((*static_cast<void***>(object))[slot])(object, args...);
}
LONG QuerySlot(void* object, const GUID* iid, void** out) {
  return CallSlot<LONG>(object, 0, iid, out);
}
ULONG AddRefSlot(void* object) {
  return CallSlot<ULONG>(object, 1);
}
ULONG ReleaseSlot(void* object) {
  return CallSlot<ULONG>(object, 2);
}

class Corelet : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    library_ = ::LoadLibraryW(win::FileBesideProgram(L"Corelet.dll").c_str());
    create_ = win::GetExport<CreateInstanceFn>(library_, "CreateInstance");
  }
  static void TearDownTestSuite() { ::CoUninitialize(); }
  void SetUp() override { ASSERT_TRUE(create_); }

  // A new object for `iid` (the test's one reference), or null.
  static void* Create(const GUID& iid) { return create_(&iid); }

  static inline HMODULE library_ = nullptr;
  static inline CreateInstanceFn create_ = nullptr;
};

TEST_F(Corelet, FactoryAndQueryInterfaceAnswerEachIdentifierOfTheObjectsOwnFamily) {
  const GUID unknown = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
  const struct {
    const GUID* asked;
    const GUID* primary;  // null: the factory makes nothing
    const GUID* second;   // the object's other interface, or null
  } cases[] = {
      {&IID_IMD5, &IID_IMD5, &IID_IHash},
      {&IID_IHash, &IID_IMD5, &IID_IHash},
      {&IID_ICPUInfo, &IID_ICPUInfo, &IID_IDiskInfo},
      {&IID_IDiskInfo, &IID_ICPUInfo, &IID_IDiskInfo},
      {&IID_IStatistic, &IID_IStatistic, nullptr},
      {&IID_IRegister, &IID_IRegister, nullptr},
      {&IID_IVersion, &IID_IVersion, nullptr},
      {&IID_IXUnknown, nullptr, nullptr},
      {&unknown, nullptr, nullptr},
  };
  const GUID reserved[] = {ToGuid(kIdReserved1), ToGuid(kIdReserved2), ToGuid(kIdReserved3)};
  for (const GUID& id : reserved) EXPECT_EQ(Create(id), nullptr);
  EXPECT_EQ(create_(nullptr), nullptr);

  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked->Data1);
    void* object = Create(*c.asked);
    if (!c.primary) {
      EXPECT_EQ(object, nullptr);
      continue;
    }
    ASSERT_NE(object, nullptr);
    void* primary = nullptr;
    void* asked = nullptr;
    void* base = nullptr;
    ASSERT_EQ(QuerySlot(object, c.primary, &primary), S_OK);
    ASSERT_EQ(QuerySlot(object, c.asked, &asked), S_OK);
    ASSERT_EQ(QuerySlot(object, &IID_IXUnknown, &base), S_OK);
    EXPECT_EQ(asked, object) << "the factory hands out the pointer for the identifier asked";
    EXPECT_EQ(base, primary);
    if (c.second) {
      void* second = nullptr;
      ASSERT_EQ(QuerySlot(primary, c.second, &second), S_OK);
      EXPECT_NE(second, primary) << "two interfaces, two pointers into one object";
      void* back = nullptr;
      ASSERT_EQ(QuerySlot(second, c.primary, &back), S_OK);
      EXPECT_EQ(back, primary);
    }
    // Another family's identifier, and the bad pointers.
    void* foreign = &foreign;
    EXPECT_EQ(QuerySlot(object, &IID_IVersion == c.primary ? &IID_IMD5 : &IID_IVersion, &foreign),
              E_NOINTERFACE);
    EXPECT_EQ(foreign, nullptr);
    EXPECT_EQ(QuerySlot(object, nullptr, &foreign), E_NOINTERFACE);
    EXPECT_EQ(QuerySlot(object, c.asked, nullptr), E_POINTER);
    // QueryInterface added nothing: the count goes 2, 1, 0 whichever pointer is used.
    EXPECT_EQ(AddRefSlot(primary), 2u);
    EXPECT_EQ(ReleaseSlot(asked), 1u);
    EXPECT_EQ(ReleaseSlot(object), 0u);
  }

  // An identifier anywhere in memory, aligned or not, is read as 16 bytes.
  alignas(8) unsigned char bytes[sizeof(GUID) + 1];
  std::memcpy(bytes + 1, &IID_IVersion, sizeof(GUID));
  void* version = create_(reinterpret_cast<const GUID*>(bytes + 1));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(ReleaseSlot(version), 0u);
}

TEST_F(Corelet, OperationsSitInTheirSlots) {
  void* md5 = Create(IID_IMD5);
  void* hash = Create(IID_IHash);
  void* cpu = Create(IID_ICPUInfo);
  void* disk = Create(IID_IDiskInfo);
  void* registrar = Create(IID_IRegister);
  void* version = Create(IID_IVersion);
  ASSERT_TRUE(md5 && hash && cpu && disk && registrar && version);

  char digest[34] = {};
  digest[32] = 'x';
  CallSlot<void>(md5, 3, "abc", digest);
  EXPECT_EQ(std::string(digest, 33), "900150983cd24fb0d6963f7d28e17f72x")
      << "32 characters, no more";
  CallSlot<void>(md5, 4, nullptr, nullptr);  // Reserved does nothing

  char mixed[3] = {};
  CallSlot<void>(hash, 3, "ab\x01", "\x01\x02", mixed, 3);
  EXPECT_EQ(std::string(mixed, 3), std::string("\x60\x60\x00", 3));

  // Features first, then the signature: every processor this runs on has the FPU, TSC, MMX,
  // SSE and SSE2 feature bits, and a signature with a family and the top nibble clear.
  const std::string cpuId = CallSlot<const char*>(cpu, 3);
  ASSERT_EQ(cpuId.size(), 16u);
  EXPECT_EQ(cpuId.find_first_not_of("0123456789ABCDEF"), std::string::npos) << cpuId;
  const unsigned long features = std::stoul(cpuId.substr(0, 8), nullptr, 16);
  const unsigned long signature = std::stoul(cpuId.substr(8), nullptr, 16);
  EXPECT_EQ(features & 0x06800011, 0x06800011u) << cpuId;
  EXPECT_NE(signature & 0xF00, 0u) << cpuId;
  EXPECT_EQ(signature >> 28, 0u) << cpuId;

  // Drive kind of a letter that names nothing, or of no letter at all: 0.
  const DWORD drives = ::GetLogicalDrives();
  for (wchar_t letter : {L'B', L'1', L'\\', L'\0', L'\xFF21'}) {
    if (letter == L'B' && (drives & 2)) continue;
    EXPECT_EQ(CallSlot<int>(disk, 3, letter), 0) << static_cast<int>(letter);
  }
  // The letters in use, in order, as many as asked for and no terminator.
  std::wstring all;
  for (int bit = 0; bit < 26; ++bit)
    if (drives & (1u << bit)) all += static_cast<wchar_t>(L'A' + bit);
  ASSERT_FALSE(all.empty());
  std::wstring letters(all.size() + 1, L'#');
  EXPECT_EQ(CallSlot<int>(disk, 4, letters.data(), static_cast<int>(all.size()) + 1), 1);
  EXPECT_EQ(letters, all + L"#");
  std::wstring one = L"##";
  EXPECT_EQ(CallSlot<int>(disk, 4, one.data(), 1), 1);
  EXPECT_EQ(one, all.substr(0, 1) + L"#");
  EXPECT_EQ(CallSlot<int>(disk, 4, static_cast<wchar_t*>(nullptr), 0), 1);
  EXPECT_EQ(CallSlot<int>(disk, 4, static_cast<wchar_t*>(nullptr), 5), 0);

  // The machine id is the MD5 of the first disk's model, which Wine's management service has.
  const char* model = CallSlot<const char*>(disk, 5);
  ASSERT_NE(model, nullptr);
  EXPECT_GT(std::strlen(model), 0u);
  char fromModel[33] = {};
  CallSlot<void>(md5, 3, model, fromModel);
  char id[33] = {};
  CallSlot<void>(registrar, 3, id);
  EXPECT_STREQ(id, fromModel);

  const int os = CallSlot<int>(version, 4);
  EXPECT_TRUE(os >= 1 && os <= 7) << os;  // an NT-family Windows

  for (void* object : {md5, hash, cpu, disk, registrar, version})
    EXPECT_EQ(ReleaseSlot(object), 0u);
}

TEST_F(Corelet, FileVersionFitsOrIsRefusedAndTakesThePathEitherWay) {
  void* version = Create(IID_IVersion);
  ASSERT_NE(version, nullptr);
  const std::wstring self = win::ModuleFilePath();
  const XStringRef byReference{self.c_str()};
  const std::wstring library = win::FileBesideProgram(L"Corelet.dll");  // has no version
  const XStringRef noVersion{library.c_str()};
  const struct {
    const void* path;
    int length;
    int result;
    const wchar_t* text;  // what the buffer holds afterwards
  } cases[] = {
      {&byReference, 24, 1, L"65535.65535.65535.65535"},
      {self.c_str(), 24, 1, L"65535.65535.65535.65535"},  // the characters themselves
      {&byReference, 23, 0, L"untouched"},                // would be cut: refused
      {&byReference, 1, 0, L"untouched"},
      {&byReference, 0, 0, L"untouched"},
      {&noVersion, 24, 0, L"untouched"},
      {nullptr, 24, 0, L"untouched"},
  };
  for (const auto& c : cases) {
    wchar_t buffer[32] = L"untouched";
    EXPECT_EQ(CallSlot<int>(version, 3, c.path, buffer, c.length), c.result) << c.length;
    EXPECT_STREQ(buffer, c.text) << c.length;
  }
  EXPECT_EQ(CallSlot<int>(version, 3, &byReference, static_cast<wchar_t*>(nullptr), 24), 0);
  EXPECT_EQ(ReleaseSlot(version), 0u);
}

TEST_F(Corelet, CountsStayRightUnderManyThreads) {
  void* object = Create(IID_IHash);
  ASSERT_NE(object, nullptr);
  void* primary = nullptr;
  ASSERT_EQ(QuerySlot(object, &IID_IMD5, &primary), S_OK);
  std::vector<win::Thread> threads(8);
  for (int t = 0; t < 8; ++t)
    ASSERT_TRUE(threads[t].start([&, t] {
      void* through = t % 2 ? object : primary;
      for (int i = 0; i < 20000; ++i) {
        AddRefSlot(through);
        ReleaseSlot(through);
      }
    }));
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(ReleaseSlot(object), 0u);
}

TEST_F(Corelet, BadInputGivesDefinedResults) {
  void* hash = Create(IID_IHash);
  void* md5 = Create(IID_IMD5);
  ASSERT_TRUE(hash && md5);
  char out[4] = {'k', 'e', 'e', 'p'};
  CallSlot<void>(md5, 3, static_cast<const char*>(nullptr), out);
  CallSlot<void>(md5, 3, "text", static_cast<char*>(nullptr));
  CallSlot<void>(hash, 3, "data", "", out, 4);  // an empty key: nothing, never a division
  CallSlot<void>(hash, 3, "data", "k", out, 0);
  CallSlot<void>(hash, 3, "data", "k", out, -5);
  CallSlot<void>(hash, 3, static_cast<const char*>(nullptr), "k", out, 4);
  EXPECT_EQ(std::string(out, 4), "keep");

  // A long run, and applying the key twice gives the data back.
  const int size = 32 << 20;
  std::string data(size, '\0');
  for (int i = 0; i < size; ++i) data[i] = static_cast<char>(i * 7);
  std::string once(size, '\0'), twice(size, '\0');
  CallSlot<void>(hash, 3, data.data(), "key!", once.data(), size);
  CallSlot<void>(hash, 3, once.data(), "key!", twice.data(), size);
  EXPECT_EQ(once[size - 1], static_cast<char>(data[size - 1] ^ '!'));
  EXPECT_TRUE(twice == data);
  EXPECT_EQ(ReleaseSlot(hash), 0u);
  EXPECT_EQ(ReleaseSlot(md5), 0u);
}

template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs = 10000) {
  for (DWORD start = ::GetTickCount(); !pred(); ::Sleep(20))
    if (::GetTickCount() - start > timeoutMs) return false;
  return true;
}

class Report : public Corelet {
 protected:
  void SetUp() override {
    Corelet::SetUp();
    ASSERT_NE(Loopback::Port(), 0);
    Loopback::Clear();
  }
  // What a report of this machine and this program carries after its base.
  static std::string Tail() {
    void* registrar = Create(IID_IRegister);
    char id[33] = {};
    CallSlot<void>(registrar, 3, id);
    ReleaseSlot(registrar);
    EXPECT_EQ(std::strlen(id), 32u);
    return std::string("ver=65535.65535.65535.65535&userid=") + id;
  }
  static int Send(const wchar_t* base, CreateInstanceFn create = create_) {
    void* statistic = create(&IID_IStatistic);
    if (!statistic) {
      ADD_FAILURE() << "no statistic object";
      return 0;
    }
    const int result = CallSlot<int>(statistic, 3, base);
    ReleaseSlot(statistic);  // at once: the worker holds the object for itself
    return result;
  }
  static int Send(const std::wstring& base) { return Send(base.c_str()); }
};

TEST_F(Report, ReachesTheServerWithItsKeysInOrderAndTheAgentName) {
  EXPECT_EQ(Send(Loopback::Url(L"/stat.php?src=stashly&type=open&")), 1);
  ASSERT_TRUE(WaitFor([] { return !Loopback::Requests().empty(); }));
  ::Sleep(300);  // a second request, had there been one, would be in by now
  const auto requests = Loopback::Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].path, "/stat.php?src=stashly&type=open&" + Tail());
  EXPECT_EQ(requests[0].agent, "Mircrosoft Internet Explorer");
}

TEST_F(Report, ManyAtOnceAllArrive) {
  constexpr int kReports = 16;
  for (int i = 0; i < kReports; ++i)
    EXPECT_EQ(Send(Loopback::Url(L"/stat.php?n=" + std::to_wstring(i) + L"&")), 1);
  ASSERT_TRUE(WaitFor([] { return Loopback::Requests().size() >= kReports; }, 30000));
  std::vector<std::string> paths;
  for (const auto& request : Loopback::Requests()) paths.push_back(request.path);
  std::sort(paths.begin(), paths.end());
  for (int i = 0; i < kReports; ++i) {
    std::string wanted = "/stat.php?n=";
    wanted.append(std::to_string(i)).append("&").append(Tail());
    EXPECT_TRUE(std::binary_search(paths.begin(), paths.end(), wanted)) << wanted;
  }
}

TEST_F(Report, NothingIsSentForNoBaseATooLongAddressOrAServerThatIsNotThere) {
  EXPECT_EQ(Send(static_cast<const wchar_t*>(nullptr)), 1);
  // The address has room for 2099 characters; one more is refused, not cut.
  const std::wstring base = Loopback::Url(L"/stat.php?pad=");
  const size_t fits = 2099 - base.size() - 1 - Tail().size();
  EXPECT_EQ(Send(base + std::wstring(fits + 1, L'p') + L"&"), 1);
  // Nobody listens on this port.
  EXPECT_EQ(Send(L"http://127.0.0.1:" + std::to_wstring(Loopback::Port() + 1) + L"/stat.php?"), 1);
  // The longest address that fits goes out whole, and it is the only one that arrives.
  EXPECT_EQ(Send(base + std::wstring(fits, L'p') + L"&"), 1);
  ASSERT_TRUE(WaitFor([] { return !Loopback::Requests().empty(); }));
  ::Sleep(500);
  const auto requests = Loopback::Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& path = requests[0].path;
  EXPECT_EQ(path.size() + base.size() - std::string("/stat.php?pad=").size(), 2099u);
  EXPECT_EQ(path.substr(path.size() - Tail().size()), Tail());
}

TEST_F(Report, CarriesNoCookieTheServerSet) {
  // Every answer of the server sets a cookie. A plain request of this process keeps it and sends
  // it with the next one: it is there to be sent.
  {
    win::UniqueInternet session(
        ::InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    for (int i = 0; i < 2; ++i)
      win::UniqueInternet(::InternetOpenUrlW(session.get(), Loopback::Url(L"/plain").c_str(),
                                             nullptr, 0, INTERNET_FLAG_RELOAD, 0));
  }
  ASSERT_EQ(Loopback::Requests().size(), 2u);
  ASSERT_EQ(Loopback::Requests()[1].cookie, "loopback=1");
  Loopback::Clear();
  EXPECT_EQ(Send(Loopback::Url(L"/moved/stat.php?src=stashly&type=open&")), 1);
  ASSERT_TRUE(WaitFor([] { return Loopback::Requests().size() >= 2; }));
  for (const auto& request : Loopback::Requests()) EXPECT_EQ(request.cookie, "-") << request.path;
}

// A copy of the library under a name of its own, so that its unloading can be seen.
class PinnedCopy {
 public:
  explicit PinnedCopy(const wchar_t* name) : name_(name), path_(win::FileBesideProgram(name)) {
    if (::CopyFileW(win::FileBesideProgram(L"Corelet.dll").c_str(), path_.c_str(), FALSE))
      library_ = ::LoadLibraryW(path_.c_str());
  }
  ~PinnedCopy() { ::DeleteFileW(path_.c_str()); }
  CreateInstanceFn create() const {
    return win::GetExport<CreateInstanceFn>(library_, "CreateInstance");
  }
  // The caller's hold; the library stays while a worker holds it too.
  void Release() { ::FreeLibrary(library_); }
  bool Loaded() const { return ::GetModuleHandleW(name_) != nullptr; }

 private:
  const wchar_t* name_;
  std::wstring path_;
  HMODULE library_ = nullptr;
};

TEST_F(Report, WorkerKeepsItsLibraryLoadedAfterTheCallerLetsGoOfEverything) {
  PinnedCopy copy(L"corelet_pinned.dll");
  ASSERT_TRUE(copy.create());
  // The server takes its time; the caller lets go of the object and of the library at once.
  EXPECT_EQ(
      Send(Loopback::Url(L"/slow/1500/stat.php?src=stashly&type=open&").c_str(), copy.create()), 1);
  copy.Release();
  ASSERT_TRUE(WaitFor([] { return !Loopback::Requests().empty(); }));
  EXPECT_EQ(Loopback::Requests()[0].path, "/slow/1500/stat.php?src=stashly&type=open&" + Tail());
  EXPECT_TRUE(copy.Loaded()) << "the worker keeps its library";
  EXPECT_TRUE(WaitFor([&] { return !copy.Loaded(); })) << "and lets it go as it ends";
}

TEST_F(Report, AServerThatNeverAnswersLosesTheWorkerAfterTheTimeOut) {
  PinnedCopy copy(L"corelet_silent.dll");
  ASSERT_TRUE(copy.create());
  // The answer would come after ten minutes; the worker gives up after 15 seconds of silence.
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(Send(Loopback::Url(L"/slow/600000/stat.php?").c_str(), copy.create()), 1);
  copy.Release();
  EXPECT_TRUE(WaitFor([&] { return !copy.Loaded(); }, 120000));
  std::printf("the worker let its library go after %lu ms\n", ::GetTickCount() - start);
}

}  // namespace
}  // namespace stashly
