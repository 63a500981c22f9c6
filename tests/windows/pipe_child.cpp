// The child of the Windows platform tests: prints, exits, hangs or probes
// a named semaphore as its first argument says.
//   lines            "abc\r\n", "\n", "err\n" on standard error, "last" without line end
//   long N           N letters x and a line end
//   exit N           exits with status N
//   ignore-ctrl-c    ignores Ctrl-C, then waits to be ended
//   ignore-break     ignores Ctrl-Break, then waits to be ended
//   probe KEY        "taken" when semaphore quelb-sem-KEY is free (given back
//                    at once), "busy" when not
//   hold KEY         takes semaphore quelb-sem-KEY, prints "held", waits to be ended
#include <winsock2.h>
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

BOOL WINAPI ignoreBreak(DWORD event) { return event == CTRL_BREAK_EVENT; }

HANDLE semaphore(const char* key) {
  wchar_t name[32];
  std::swprintf(name, 32, L"quelb-sem-%d", std::atoi(key));
  return CreateSemaphoreW(nullptr, 1, 1, name);
}

[[noreturn]] void waitToBeEnded() {
  std::fflush(stdout);
  for (;;) Sleep(INFINITE);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const char* value = argc > 2 ? argv[2] : "0";
  // Bytes as written: no CR added before LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (mode == "lines") {
    std::fputs("abc\r\n\n", stdout);
    std::fflush(stdout);
    std::fputs("err\n", stderr);
    std::fflush(stderr);
    std::fputs("last", stdout);
    return 0;
  }
  if (mode == "long") {
    std::string line(static_cast<size_t>(std::atoi(value)), 'x');
    std::printf("%s\n", line.c_str());
    return 0;
  }
  if (mode == "exit") return std::atoi(value);
  if (mode == "ignore-ctrl-c" || mode == "ignore-break") {
    // A null handler ignores Ctrl-C; Ctrl-Break needs a handler that claims it.
    SetConsoleCtrlHandler(mode == "ignore-break" ? ignoreBreak : nullptr, TRUE);
    waitToBeEnded();
  }
  if (mode == "probe") {
    HANDLE sem = semaphore(value);
    bool taken = sem && WaitForSingleObject(sem, 0) == WAIT_OBJECT_0;
    if (taken) ReleaseSemaphore(sem, 1, nullptr);
    std::puts(taken ? "taken" : "busy");
    return 0;
  }
  if (mode == "hold") {
    HANDLE sem = semaphore(value);
    if (!sem || WaitForSingleObject(sem, INFINITE) != WAIT_OBJECT_0) return 2;
    std::puts("held");
    waitToBeEnded();
  }
  return 3;
}
