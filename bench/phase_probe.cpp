// phase_probe RUNS PROGRAM...: starts each PROGRAM in turn, RUNS rounds after one uncounted
// round, reads the time stamps that it writes to its standard output (phase_stamp.h) until it
// has shown its window, ends it, and prints for each program and each phase of its start-up the
// median duration in milliseconds and the mean of its three fastest rounds. A PROGRAM is an
// executable's path, followed by its arguments after a space ("phased_start.exe --preload"). The
// first phase counts from just before the process is created, and the total ends when the window
// shows (where startup_probe also waits for its first drawing). A program that does not stamp an
// edge has no such phase ("-"); its time goes to the next one.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }
  HANDLE Get() const { return handle_; }
  HANDLE* Out() { return &handle_; }
  void Close() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE)
      CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// The edges between the phases, in the order in which the start-up passes them; "read" is
// stamped after every version query and counts at its last stamp, the others at their first.
struct Edge {
  const char* label;
  const char* phase;  // what ends at this edge
};
constexpr Edge kEdges[] = {
    {"main", "process start to WinMain (loader, C++ runtime)"},
    {"dlls", "DLL search order (or the DLLs loaded ahead)"},
    {"awareness", "services, resolution awareness"},
    {"controls", "InitCommonControlsEx (standard classes)"},
    {"services", "version.dll loaded, shell"},
    {"window", "window class, icons and frame"},
    {"laid-out", "controls, font fitting and layout"},
    {"read", "version check (reading mstsc.exe)"},
    {"visible", "labels filled, until the window shows"},
    {"shown", "activation and drawing, after it shows"},
};
// The edge that startup_probe waits for, and the last one.
constexpr char kVisible[] = "visible";
constexpr char kLast[] = "shown";

using Stamps = std::map<std::string, long long>;

// Reads "LABEL TICKS" lines from `pipe` until the last edge or the end; ticks are made relative
// to `start`.
Stamps ReadStamps(HANDLE pipe, long long start) {
  Stamps stamps;
  std::string pending;
  char buffer[256];
  DWORD got = 0;
  while (stamps.count(kLast) == 0 && ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) &&
         got > 0) {
    pending.append(buffer, got);
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::istringstream line(pending.substr(0, end));
      pending.erase(0, end + 1);
      std::string label;
      long long ticks = 0;
      if (line >> label >> ticks && (label == "read" || stamps.count(label) == 0))
        stamps[label] = ticks - start;
    }
  }
  return stamps;
}

// One start of `exe`: the stamps it wrote before its window showed; nothing when it could not
// be started or never showed its window.
std::optional<Stamps> RunOnce(const std::wstring& program) {
  const std::size_t space = program.find(L' ');
  const std::wstring exe = program.substr(0, space);
  const std::wstring arguments = space == std::wstring::npos ? L"" : program.substr(space);
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle readEnd, writeEnd;
  if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &inheritable, 0))
    return std::nullopt;
  SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd.Get();
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring commandLine = L"\"" + exe + L"\"" + arguments;
  PROCESS_INFORMATION info{};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &info)) {
    std::fprintf(stderr, "phase_probe: cannot start %ls (error %lu)\n", exe.c_str(),
                 GetLastError());
    return std::nullopt;
  }
  Handle process(info.hProcess);
  Handle thread(info.hThread);
  writeEnd.Close();
  Stamps stamps = ReadStamps(readEnd.Get(), start.QuadPart);
  TerminateProcess(process.Get(), 0);
  WaitForSingleObject(process.Get(), 10000);
  if (stamps.count(kLast) == 0) {
    std::fprintf(stderr, "phase_probe: %ls showed no window\n", exe.c_str());
    return std::nullopt;
  }
  return stamps;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[(values.size() - 1) / 2];
}

// The mean of the three lowest: other programs' load only ever adds to a phase, and in bursts,
// so the fastest rounds show what the program itself takes.
double Fastest(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t count = std::min<std::size_t>(3, values.size());
  double sum = 0;
  for (std::size_t i = 0; i < count; ++i)
    sum += values[i];
  return sum / static_cast<double>(count);
}

// The program's name without folder and ".exe", with its arguments.
std::wstring ShortName(const std::wstring& program) {
  const std::size_t space = program.find(L' ');
  const std::wstring path = program.substr(0, space);
  const std::size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos)
    name.erase(dot);
  return space == std::wstring::npos ? name : name + program.substr(space);
}

// The phases' durations over all runs of one program; a missing edge has none.
struct Durations {
  std::map<std::string, std::vector<double>> byEdge;
  std::vector<double> total;

  void Add(const Stamps& stamps, double msPerTick) {
    long long previous = 0;
    for (const Edge& edge : kEdges) {
      auto found = stamps.find(edge.label);
      if (found == stamps.end())
        continue;
      byEdge[edge.label].push_back(static_cast<double>(found->second - previous) * msPerTick);
      previous = found->second;
      if (edge.label == std::string_view(kVisible))
        total.push_back(static_cast<double>(previous) * msPerTick);
    }
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc >= 3 ? _wtoi(argv[1]) : 0;
  if (runs < 1) {
    std::fputs("usage: phase_probe RUNS EXE...\n", stderr);
    return 2;
  }
  const std::vector<std::wstring> programs(argv + 2, argv + argc);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const double msPerTick = 1000.0 / static_cast<double>(frequency.QuadPart);

  // A first round that is not counted: a program's first start also fills the caches.
  std::vector<Durations> durations(programs.size());
  for (int run = 0; run <= runs; ++run) {
    for (std::size_t i = 0; i < programs.size(); ++i) {
      const std::optional<Stamps> stamps = RunOnce(programs[i]);
      if (!stamps)
        return 1;
      if (run > 0)
        durations[i].Add(*stamps, msPerTick);
    }
  }

  // Each cell: the median of the program's rounds, then the mean of its three fastest.
  std::printf("%-48s", "phase (ms: median / fastest 3)");
  for (const std::wstring& program : programs)
    std::printf(" %19ls", ShortName(program).c_str());
  std::printf("\n");
  const auto cell = [](const std::vector<double>* values) {
    if (values == nullptr || values->empty())
      std::printf(" %19s", "-");
    else
      std::printf(" %9.1f /%8.1f", Median(*values), Fastest(*values));
  };
  for (const Edge& edge : kEdges) {
    std::printf("%-48s", edge.phase);
    for (const Durations& program : durations) {
      auto found = program.byEdge.find(edge.label);
      cell(found == program.byEdge.end() ? nullptr : &found->second);
    }
    std::printf("\n");
  }
  std::printf("%-48s", "total, process start until the window shows");
  for (const Durations& program : durations)
    cell(&program.total);
  std::printf("\n");
  return 0;
}
