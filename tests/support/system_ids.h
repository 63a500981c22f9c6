// The ids the system gives this process and the calling thread (getpid and gettid;
// GetCurrentProcessId and GetCurrentThreadId on Windows), as traced lines carry them. In
// test_env_posix.cpp and test_env_windows.cpp.
#ifndef NORVEL_TESTS_SYSTEM_IDS_H
#define NORVEL_TESTS_SYSTEM_IDS_H

namespace testenv {

unsigned long processId();
unsigned long threadId();

}  // namespace testenv

#endif  // NORVEL_TESTS_SYSTEM_IDS_H
