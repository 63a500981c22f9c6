#include "runner.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "database.h"
#include "errors.h"
#include "faults.h"
#include "jsonquote.h"
#include "model_log.h"
#include "platform.h"
#include "text.h"

namespace symsim {

namespace {

// A device file bigger than this is refused rather than read.
constexpr std::streamsize kMaxPairFile = 1 << 20;

struct RunResult {
  int status = 0;
  std::string out;      // printed on standard output
  std::string err;      // printed on standard error
  std::string fault;    // kind of the fault that fired
  std::string message;  // first line of a failure, for the log
};

std::string argsJson(const std::vector<std::string>& args) {
  std::vector<std::string> quoted;
  for (const std::string& a : args) quoted.push_back(boundedtext::jsonQuote(a));
  return "[" + join(quoted, ",") + "]";
}

bool readPairFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  char buf[4096];
  std::streamsize total = 0;
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    total += in.gcount();
    if (total > kMaxPairFile) return false;
    ss.write(buf, in.gcount());
  }
  *text = ss.str();
  return true;
}

// Bytes that are neither text nor XML: control characters, NULs and
// sequences that are not UTF-8, over a few lines.
std::string garbageBytes() {
  std::string out;
  for (int line = 0; line < 4; ++line) {
    for (int i = 0; i < 48; ++i) out += static_cast<char>((i * 37 + line * 11) % 256);
    out.append("\xff\xfe<\0?xml\x01\n", 10);
  }
  return out;
}

// `bytes` bytes of text lines of 100 characters each (the last one
// shorter), every one ended by a line feed.
std::string fillerLines(int64_t bytes) {
  const std::string line = std::string(99, 'x') + "\n";
  std::string out;
  out.reserve(static_cast<size_t>(bytes));
  while (static_cast<int64_t>(out.size() + line.size()) <= bytes) out += line;
  if (static_cast<int64_t>(out.size()) < bytes)
    out += std::string(static_cast<size_t>(bytes) - out.size() - 1, 'x') + "\n";
  return out;
}

// Cuts an XML document about halfway, at a line end.
std::string cutHalfway(const std::string& out) {
  size_t half = out.size() / 2;
  size_t nl = out.find('\n', half);
  return nl == std::string::npos ? out.substr(0, half) : out.substr(0, nl + 1);
}

void failWith(RunResult& r, int status, const std::string& message) {
  r.status = status;
  r.err = message + "\n";
  r.message = message;
}

double realSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

int runTool(const Tool& tool, const std::vector<std::string>& args, const std::string& dbPath) {
  auto begin = std::chrono::steady_clock::now();
  RunResult r;
  ParsedCommand cmd;
  bool parsed = false;
  try {
    cmd = parseCommand(tool.grammar(), args);
    parsed = true;
  } catch (const UsageError& e) {
    failWith(r, kExitUsage, std::string(tool.name) + ": " + e.what());
    r.err += "\n" + tool.grammar().usage;
  }

  std::unique_ptr<Database> db;
  try {
    db.reset(new Database(dbPath, false));
  } catch (const DatabaseError& e) {
    // Without a database a refused command line is still a usage error.
    if (!parsed) {
      std::fwrite(r.err.data(), 1, r.err.size(), stderr);
      return kExitUsage;
    }
    std::fprintf(stderr, "%s: %s\n", tool.name, e.what());
    return kExitFailed;
  }

  std::string pairText;
  bool pairRead = false;
  if (parsed && cmd.values.count("-file")) pairRead = readPairFile(cmd.value("-file"), &pairText);

  int64_t runId = 0;
  Fault fault;
  bool faulted = false;
  bool lockedOut = false;
  try {
    Transaction tx(*db);
    RunRow run;
    run.pid = static_cast<int64_t>(processId());
    run.tool = tool.name;
    run.argsJson = argsJson(args);
    if (parsed) run.command = cmd.name;
    if (parsed && cmd.values.count("-sid")) run.symid = cmd.value("-sid");
    if (pairRead) run.pairFile = pairText;
    run.started = realSeconds();
    runId = logRunStart(*db, run);
    if (parsed) {
      faulted = takeFault(*db, tool.name, cmd.name, cmd.value("-sid"), &fault);
      if (!faulted && cmd.spec->blockedByLock && !cmd.value("-sid").empty()) {
        Model model(*db);
        try {
          lockedOut = model.locked(model.findArray(cmd.value("-sid")).id);
        } catch (const CliError&) {
          // An unknown array is reported by the command itself.
        }
      }
    }
    tx.commit();
  } catch (const DatabaseError& e) {
    std::fprintf(stderr, "%s: %s\n", tool.name, e.what());
    return kExitFailed;
  }

  if (faulted) r.fault = fault.kind;
  if (faulted && fault.kind == "delay")
    std::this_thread::sleep_for(std::chrono::milliseconds(fault.millis));
  if (faulted && fault.kind == "hang" && !fault.midway) hangForever();
  if (faulted && fault.kind == "crash" && !fault.midway) crashNow();

  bool done = !parsed;
  int failStatus = faulted && fault.exitStatus ? static_cast<int>(fault.exitStatus) : kExitFailed;
  if (!done && lockedOut) {
    failWith(r, kExitFailed, gatekeeperMessage(1));
    r.fault = "lock";
    done = true;
  } else if (!done && faulted && fault.kind == "gatekeeper") {
    if (fault.which >= 1 && fault.which <= 4)
      failWith(r, failStatus, gatekeeperMessage(fault.which));
    else
      r.status = failStatus;  // no output at all
    done = true;
  } else if (!done && faulted && fault.kind == "fail") {
    failWith(r, failStatus,
             fault.message.empty() ? "The operation failed (injected fault)" : fault.message);
    done = true;
  }

  if (!done) {
    try {
      Transaction tx(*db);
      Model model(*db);
      Context ctx{model, cmd, pairText, pairRead, ""};
      if (!cmd.spec->run) throw CliError("the command \"" + cmd.name + "\" has no handler");
      cmd.spec->run(ctx);
      if (faulted && fault.kind == "hang") {
        // Midway: the changes are made but not committed. Like a real tool
        // that stalls, it has announced the operation first.
        std::string notice = "'" + cmd.name + "' operation execution is in progress.\n";
        std::fwrite(notice.data(), 1, notice.size(), stdout);
        std::fflush(stdout);
        hangForever();
      }
      tx.commit();
      r.out = std::move(ctx.out);
    } catch (const UsageError& e) {
      failWith(r, kExitUsage, std::string(tool.name) + ": " + e.what());
      r.err += "\n" + tool.grammar().usage;
    } catch (const CliError& e) {
      failWith(r, e.status(), e.what());
    } catch (const DatabaseError& e) {
      failWith(r, kExitFailed, std::string(tool.name) + ": " + e.what());
    }
    if (r.status == 0 && faulted && fault.kind == "truncate") r.out = cutHalfway(r.out);
    if (r.status == 0 && faulted && fault.kind == "noxml")
      r.out = "\nThe command completed, but its report could not be formatted.\n\n";
    if (r.status == 0 && faulted && fault.kind == "garbage") r.out = garbageBytes();
    if (r.status == 0 && faulted && fault.kind == "empty") r.out.clear();
    if (r.status == 0 && faulted && fault.kind == "reply") r.out = fault.message;
    if (r.status == 0 && faulted && fault.kind == "huge") r.out = fillerLines(fault.millis) + r.out;
    if (r.status == 0 && faulted && fault.kind == "longline")
      r.out = std::string(static_cast<size_t>(fault.millis), 'x') + "\n" + r.out;
  }

  if (faulted && fault.kind == "crash") {
    // After its output: the changes are committed and the output is out.
    std::fwrite(r.out.data(), 1, r.out.size(), stdout);
    std::fflush(stdout);
    crashNow();
  }

  double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
  try {
    Transaction tx(*db);
    logRunEnd(*db, runId, r.status, ms, r.fault, r.message);
    tx.commit();
  } catch (const DatabaseError& e) {
    r.err += std::string(tool.name) + ": could not record the run: " + e.what() + "\n";
  }

  if (!r.out.empty()) std::fwrite(r.out.data(), 1, r.out.size(), stdout);
  std::fflush(stdout);
  if (!r.err.empty()) std::fwrite(r.err.data(), 1, r.err.size(), stderr);
  return r.status;
}

}  // namespace symsim
