#include "child_process.h"

#include "wide_text.h"

#include "windows_api.h"

namespace rt {

struct ChildProcess::State {
  HANDLE process = nullptr; // nullptr: never started, or its end taken
  HANDLE output = nullptr;  // nullptr: read to its end
  HANDLE job = nullptr;     // ends the copy when this program is gone
  std::optional<ChildEnd> ended;
};

namespace {

using namespace std::chrono_literals;

constexpr auto kWaitSlice = 10ms; // an anonymous pipe cannot be waited on: it is looked at this often
// Exit codes from here on are NTSTATUS errors: a crash, or Ctrl-C's default handling.
constexpr DWORD kEndedByTheSystem = 0xC0000000;

std::wstring this_program() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

// One argument as the C run-time splits a command line: backslashes double
// only before a quote.
void append_quoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t character : argument) {
    if (character == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(character == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += character;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

std::wstring command_line(const std::wstring& program, const std::vector<std::string>& arguments) {
  std::wstring line;
  append_quoted(line, program);
  for (const std::string& argument : arguments) {
    line += L' ';
    append_quoted(line, wide_from_utf8(argument));
  }
  return line;
}

// A job that ends its processes when its last handle closes, as it does
// when this program ends however it ends.
HANDLE ending_job() {
  const HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

void close_handle(HANDLE& handle) {
  if (handle) CloseHandle(handle);
  handle = nullptr;
}

// Whether the pipe has bytes to read or has ended.
bool output_ready(HANDLE output) {
  DWORD available = 0;
  return !output || !PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr) || available > 0;
}

} // namespace

// The copy shares this program's console, so the console's Ctrl-C reaches it
// as it reaches this program.
ChildProcess::ChildProcess(const std::vector<std::string>& arguments) : state_(std::make_unique<State>()) {
  state_->ended = ChildEnd{false, false, 0};
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE output_end = nullptr;
  if (!CreatePipe(&state_->output, &output_end, &inherited, 0)) {
    state_->output = nullptr;
    return;
  }
  SetHandleInformation(state_->output, HANDLE_FLAG_INHERIT, 0);
  HANDLE nowhere = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                               OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nowhere;
  startup.hStdOutput = output_end;
  startup.hStdError = nowhere;
  const std::wstring program = this_program();
  std::wstring line = command_line(program, arguments);
  PROCESS_INFORMATION started{};
  state_->job = ending_job();
  const bool created = state_->job && CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                                     CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr,
                                                     &startup, &started);
  CloseHandle(output_end);
  if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
  if (!created) {
    close_handle(state_->output);
    return;
  }
  // In the job before it runs a single instruction.
  if (!AssignProcessToJobObject(state_->job, started.hProcess)) {
    TerminateProcess(started.hProcess, 1);
    WaitForSingleObject(started.hProcess, INFINITE);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    close_handle(state_->output);
    return;
  }
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  state_->process = started.hProcess;
  state_->ended.reset();
}

ChildProcess::~ChildProcess() {
  if (state_->process) {
    TerminateProcess(state_->process, 1);
    WaitForSingleObject(state_->process, INFINITE);
  }
  close_handle(state_->process);
  close_handle(state_->output);
  close_handle(state_->job);
}

std::string ChildProcess::read_output() {
  std::string got;
  while (state_->output) {
    DWORD available = 0;
    if (!PeekNamedPipe(state_->output, nullptr, 0, nullptr, &available, nullptr)) {
      close_handle(state_->output); // broken: the copy closed its end
      break;
    }
    if (available == 0) break;
    std::string bytes(available, '\0');
    DWORD count = 0;
    if (!ReadFile(state_->output, bytes.data(), available, &count, nullptr)) {
      close_handle(state_->output);
      break;
    }
    got.append(bytes, 0, count);
  }
  return got;
}

// Nothing to pass on: the console already delivered Ctrl-C, Ctrl-Break or
// its closing to the copy, once, as to this program.
void ChildProcess::pass_stop_request() {}

std::optional<ChildEnd> ChildProcess::end() {
  if (state_->process && WaitForSingleObject(state_->process, 0) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(state_->process, &code);
    state_->ended = code >= kEndedByTheSystem ? ChildEnd{true, true, 0} : ChildEnd{true, false, static_cast<int>(code)};
    close_handle(state_->process);
  }
  if (state_->output) return std::nullopt;
  return state_->ended;
}

void wait_for_any(const std::vector<ChildProcess*>& children, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    for (const ChildProcess* child : children) {
      const ChildProcess::State& state = *child->state_;
      if (state.output && output_ready(state.output)) return;
      if (state.process && WaitForSingleObject(state.process, 0) == WAIT_OBJECT_0) return;
    }
    Sleep(static_cast<DWORD>(kWaitSlice.count()));
  }
}

} // namespace rt
