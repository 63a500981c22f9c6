#include "cfitempfile.h"

#include <atomic>
#include <mutex>
#include <random>

#include "cfiplatform.h"

namespace quelb_pdk_4_4 {

namespace {

std::atomic<CFiTempFile::FaultFunction> g_fault{nullptr};

const char kSuffixCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
const int kSuffixLength = 6;
// Names tried before giving up when every one is taken.
const int kCreateAttempts = 100;

// One generator for all threads: not thread_local, as the sanitizers' leak
// checker misreads the dynamic TLS of a library loaded with dlopen.
std::string randomSuffix() {
  static std::mutex lock;
  static std::mt19937 generator{std::random_device{}()};
  std::lock_guard<std::mutex> hold(lock);
  std::uniform_int_distribution<int> pick(0, sizeof kSuffixCharacters - 2);
  std::string suffix;
  for (int i = 0; i < kSuffixLength; ++i) suffix += kSuffixCharacters[pick(generator)];
  return suffix;
}

}  // namespace

CFiTempFile::CFiTempFile()
    : m_handle(kNoHandle),
      m_written(0),
      m_complete(false),
      m_failed(false),
      m_error(0),
      m_failedStep("") {}

CFiTempFile::~CFiTempFile() {
  if (!m_complete) remove();
}

bool CFiTempFile::fail(const char* step, const std::string& subject, int error) {
  m_failedStep = step;
  m_subject = subject;
  m_error = error;
  return false;
}

int CFiTempFile::injectedFault(Step step) const {
  FaultFunction fault = g_fault.load();
  return fault ? fault(m_path, step, m_written) : 0;
}

bool CFiTempFile::create(const std::string& directory, const std::string& prefix, Access access) {
  remove();
  m_written = 0;
  m_complete = false;
  m_failed = false;
  m_error = 0;
  m_failedStep = "";
  const std::string where = directory.empty() ? temporaryDirectory() : fiWithSeparator(directory);
  // The name is made here rather than by the system: a file is made only
  // when no other has its name, in one step, so two writers never share one.
  int error = 0;
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    const std::string candidate = where + prefix + randomSuffix();
    std::intptr_t handle = kNoHandle;
    bool taken = false;
    error = platformCreateNew(candidate, access, handle, taken);
    if (error == 0) {
      m_path = candidate;
      m_handle = handle;
      return true;
    }
    if (!taken) break;
  }
  return fail("create a file in", where, error);
}

bool CFiTempFile::write(const std::string& text) {
  if (m_handle == kNoHandle || m_failed) return fail("write", m_path, m_error);
  int error = injectedFault(STEP_WRITE);
  if (error == 0) error = platformWrite(m_handle, text.data(), text.size());
  if (error != 0) {
    m_failed = true;
    return fail("write", m_path, error);
  }
  m_written += text.size();
  return true;
}

bool CFiTempFile::close() {
  if (m_handle == kNoHandle) return m_complete;
  int error = injectedFault(STEP_CLOSE);
  int closed = platformClose(m_handle);
  m_handle = kNoHandle;
  if (error == 0) error = closed;
  if (error != 0) return fail("close", m_path, error);
  if (m_failed) return false;  // the failed write stays the reported error
  m_complete = true;
  return true;
}

bool CFiTempFile::replace(const std::string& target) {
  if (!m_complete) return fail("move", m_path, m_error);
  int error = platformReplace(m_path, target);
  if (error != 0) return fail("move", m_path + " to " + target, error);
  m_path = target;
  return true;
}

bool CFiTempFile::remove() {
  if (m_handle != kNoHandle) {
    platformClose(m_handle);
    m_handle = kNoHandle;
  }
  if (m_path.empty()) return true;
  int error = platformRemove(m_path);
  const std::string removed = m_path;
  m_path.clear();
  m_complete = false;
  return error == 0 || fail("remove", removed, error);
}

std::string CFiTempFile::errorText() const {
  if (!*m_failedStep) return std::string();
  const std::string reason =
      m_error != 0 ? fiSystemErrorText(m_error) : std::string("the file is not open for writing");
  return std::string("cannot ") + m_failedStep + " " + m_subject + ": " + reason;
}

int CFiTempFile::removeFile(const std::string& path) { return platformRemove(path); }

CFiTempFile::FaultFunction CFiTempFile::setFault(FaultFunction fault) {
  return g_fault.exchange(fault);
}

}  // namespace quelb_pdk_4_4
