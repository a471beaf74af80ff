// procstat: measures another program's resource use from outside, for the soak test.
// Runs in the same Wine prefix (session) as the program under test.
//
//   procstat stats TITLE       one line of counters of the process owning the window titled TITLE
//   procstat foreground TITLE  which of that process's windows is the foreground window
//   procstat children TITLE    the child windows of the window titled TITLE
//   procstat props TITLE       every window of the process with the names of its window properties
//
// stats prints "key=value" fields separated by spaces:
//   pid=32 private=12345678 committed=9596928 gdi=n/a user=n/a gdi_table=135 gdi_kinds=1:9,5:40,...
//   windows=17 props=42 handles=n/a threads=1
// private   GetProcessMemoryInfo PrivateUsage, in bytes. Wine 8 leaves PrivateUsage 0 and reports the
//           process's resident anonymous memory (plus swap) as PagefileUsage, which Windows keeps
//           equal to PrivateUsage: that value is printed then.
// committed committed private memory of the process (VirtualQueryEx over its address space): what
//           the Windows side of the process has committed, without the Unix side's own allocations
// gdi, user GetGuiResources GR_GDIOBJECTS / GR_USEROBJECTS ("n/a" when the call fails)
// gdi_table GDI objects in use, counted in the process's GDI handle table, read through its PEB.
//           Wine keeps that table in each process and its GetGuiResources returns nothing, so this
//           is the count that works there; "n/a" elsewhere (Windows answers GetGuiResources).
// gdi_kinds the same objects by Wine's object type (hex type:count), to tell which kind grows
// windows   top-level and child windows of the process; props: window properties on them
// handles   GetProcessHandleCount ("n/a" when it reports none, as Wine's does); threads: threads of the process (toolhelp snapshot)
// foreground prints "foreground=main", "overlay" (another window of the process), "other" or "none".
// children prints one line per direct child window, its rectangle in the parent's client coordinates:
//   child hwnd=0x20050 id=1006 class=Button x=552 y=437 w=160 h=52 visible=1 enabled=1
// props prints one line per window, a property named by an atom alone as #atom:
//   window hwnd=0x20050 parent=0x2004e id=1006 class=Button props=PngControl_Type,Zephel_DrawState
// Exit code 0 on success, 2 when no window has the title or the process cannot be opened, 1 on a
// usage error.
#define PSAPI_VERSION 2  // GetProcessMemoryInfo from kernel32 (K32GetProcessMemoryInfo)
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Closes a kernel handle at scope end.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

struct ProcessWindows {
  DWORD pid = 0;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  reinterpret_cast<ProcessWindows*>(param)->windows.push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<ProcessWindows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == found->pid) {
    found->windows.push_back(hwnd);
    EnumChildWindows(hwnd, CollectChild, param);  // every level below, not only direct children
  }
  return TRUE;
}

BOOL CALLBACK CountProp(HWND, LPWSTR, HANDLE, ULONG_PTR count) {
  ++*reinterpret_cast<long*>(count);
  return TRUE;
}

std::string Utf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

BOOL CALLBACK CollectPropName(HWND, LPWSTR name, HANDLE, ULONG_PTR param) {
  auto* names = reinterpret_cast<std::string*>(param);
  if (!names->empty()) *names += ',';
  if (IS_INTRESOURCE(name)) {
    *names += '#';
    *names += std::to_string(reinterpret_cast<ULONG_PTR>(name));
  } else {
    *names += Utf8(name);
  }
  return TRUE;
}

std::string Counter(DWORD value, bool ok) { return ok ? std::to_string(value) : std::string("n/a"); }

// One entry of Wine's per-process GDI handle table (include/ntgdi.h): the object pointer, the
// owner, the type (0 for a free entry) and the user-mode pointer; 24 bytes on every architecture.
struct GdiHandleEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint16_t unique;
  std::uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr SIZE_T kGdiTableEntries = 0x10000;

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

bool SameBitness(HANDLE process) {
  BOOL selfWow = FALSE, otherWow = FALSE;
  IsWow64Process(GetCurrentProcess(), &selfWow);
  IsWow64Process(process, &otherWow);
  return selfWow == otherWow;
}

struct GdiTableCount {
  long used = -1;               // -1: the table could not be read
  std::map<int, long> byType;  // Wine's object type -> objects of that type
};

// The GDI objects in use in the target's handle table.
GdiTableCount CountGdiTableEntries(HANDLE process) {
  if (!UnderWine() || !SameBitness(process)) return {};
  using QueryFn = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  if (query == nullptr) return {};
  PROCESS_BASIC_INFORMATION basic{};
  if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 || basic.PebBaseAddress == nullptr)
    return {};
  // GdiSharedHandleTable: offset 0x94 in a 32-bit PEB, 0xf8 in a 64-bit one.
  const SIZE_T offset = sizeof(void*) == 8 ? 0xf8 : 0x94;
  void* table = nullptr;
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + offset, &table, sizeof table,
                         &got) ||
      got != sizeof table || table == nullptr)
    return {};
  std::vector<GdiHandleEntry> entries(kGdiTableEntries);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiHandleEntry), &got) ||
      got != entries.size() * sizeof(GdiHandleEntry))
    return {};
  GdiTableCount count;
  count.used = 0;
  for (const GdiHandleEntry& entry : entries) {
    if (entry.type == 0) continue;
    ++count.used;
    ++count.byType[entry.type];
  }
  return count;
}

std::string Kinds(const GdiTableCount& count) {
  if (count.used < 0) return "n/a";
  std::string out;
  char item[32];
  for (auto [type, n] : count.byType) {
    std::snprintf(item, sizeof item, "%s%x:%ld", out.empty() ? "" : ",", type, n);
    out += item;
  }
  return out.empty() ? "none" : out;
}

// Committed private memory, summed over the target's address space.
long long CommittedPrivate(HANDLE process) {
  long long total = 0;
  MEMORY_BASIC_INFORMATION region{};
  const char* address = nullptr;
  while (VirtualQueryEx(process, address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += static_cast<long long>(region.RegionSize);
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;  // wrapped around the top of the address space
    address = next;
  }
  return total;
}

long CountThreads(DWORD pid) {
  OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  long count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
    if (entry.th32OwnerProcessID == pid) ++count;
  return count;
}

std::string Number(long value) { return value < 0 ? std::string("n/a") : std::to_string(value); }

int Stats(HWND main) {
  ProcessWindows found;
  GetWindowThreadProcessId(main, &found.pid);
  OwnedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, found.pid));
  if (!process) {
    std::printf("none pid=%lu error=%lu\n", static_cast<unsigned long>(found.pid),
                static_cast<unsigned long>(GetLastError()));
    return 2;
  }
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  const bool memoryOk =
      GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) != 0;
  const SIZE_T privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  SetLastError(0);
  const DWORD gdi = GetGuiResources(process.get(), GR_GDIOBJECTS);
  const bool gdiOk = gdi != 0 || GetLastError() == 0;
  SetLastError(0);
  const DWORD user = GetGuiResources(process.get(), GR_USEROBJECTS);
  const bool userOk = user != 0 || GetLastError() == 0;
  DWORD handles = 0;
  const bool handlesOk = GetProcessHandleCount(process.get(), &handles) != 0 && handles != 0;
  const GdiTableCount gdiTable = CountGdiTableEntries(process.get());

  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&found));
  long props = 0;
  for (HWND hwnd : found.windows) EnumPropsExW(hwnd, CountProp, reinterpret_cast<LPARAM>(&props));

  std::printf(
      "pid=%lu private=%s committed=%lld gdi=%s user=%s gdi_table=%s gdi_kinds=%s windows=%zu props=%ld handles=%s "
      "threads=%s\n",
      static_cast<unsigned long>(found.pid), memoryOk ? std::to_string(privateBytes).c_str() : "n/a",
      CommittedPrivate(process.get()), Counter(gdi, gdiOk).c_str(), Counter(user, userOk).c_str(),
      Number(gdiTable.used).c_str(), Kinds(gdiTable).c_str(), found.windows.size(), props,
      Counter(handles, handlesOk).c_str(), Number(CountThreads(found.pid)).c_str());
  return 0;
}

int Foreground(HWND main) {
  HWND foreground = GetForegroundWindow();
  DWORD mainPid = 0, foregroundPid = 0;
  GetWindowThreadProcessId(main, &mainPid);
  if (foreground != nullptr) GetWindowThreadProcessId(foreground, &foregroundPid);
  const char* which = foreground == nullptr        ? "none"
                      : foreground == main          ? "main"
                      : foregroundPid == mainPid    ? "overlay"
                                                    : "other";
  std::printf("foreground=%s\n", which);
  return 0;
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM param) {
  HWND parent = reinterpret_cast<HWND>(param);
  if (GetParent(hwnd) != parent) return TRUE;  // a grandchild: listed with its own parent, not here
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  char cls[256] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  std::printf("child hwnd=%#lx id=%ld class=%s x=%ld y=%ld w=%ld h=%ld visible=%d enabled=%d\n",
              static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)),
              static_cast<long>(GetWindowLongPtrW(hwnd, GWLP_ID)), cls, r.left, r.top, r.right - r.left,
              r.bottom - r.top, IsWindowVisible(hwnd) ? 1 : 0, IsWindowEnabled(hwnd) ? 1 : 0);
  return TRUE;
}

int Children(HWND main) {
  EnumChildWindows(main, PrintChild, reinterpret_cast<LPARAM>(main));
  return 0;
}

int Props(HWND main) {
  ProcessWindows found;
  GetWindowThreadProcessId(main, &found.pid);
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&found));
  for (HWND hwnd : found.windows) {
    std::string names;
    EnumPropsExW(hwnd, CollectPropName, reinterpret_cast<LPARAM>(&names));
    char cls[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    std::printf("window hwnd=%#lx parent=%#lx id=%ld class=%s props=%s\n",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)),
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(GetParent(hwnd))),
                static_cast<long>(GetWindowLongPtrW(hwnd, GWLP_ID)), cls, names.c_str());
  }
  return 0;
}

}  // namespace

int main() {
  // Wide arguments without -municode: titles need not be ASCII.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 3) {
    std::fprintf(stderr, "usage: procstat stats|foreground|children|props TITLE\n");
    return 1;
  }
  const std::wstring command = argv[1];
  HWND main = FindWindowW(nullptr, argv[2]);
  if (!main) {
    std::printf("none\n");
    return 2;
  }
  int rc = 1;
  if (command == L"stats") {
    rc = Stats(main);
  } else if (command == L"foreground") {
    rc = Foreground(main);
  } else if (command == L"children") {
    rc = Children(main);
  } else if (command == L"props") {
    rc = Props(main);
  } else {
    std::fprintf(stderr, "procstat: unknown command\n");
  }
  std::fflush(stdout);
  return rc;
}
