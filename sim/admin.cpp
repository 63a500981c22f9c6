#include "admin.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "adminargs.h"
#include "adminreport.h"
#include "platform.h"
#include "boundedtext.h"
#include "errors.h"
#include "faults.h"
#include "model.h"
#include "model_log.h"
#include "model_schema.h"
#include "paths.h"
#include "scenario.h"
#include "text.h"
#include "tools.h"

namespace symsim {

namespace {

const char* kUsage =
    "usage: symsim [--db PATH] COMMAND ...\n"
    "       symsim --version\n"
    "  init (--demo | SCENARIO_FILE)       create the database afresh from a scenario\n"
    "  show [--sid ID] [--devices] [--json] arrays, devices, pairs, sessions, hosts, masking\n"
    "  fault add KIND [--tool T] [--cmd C] [--sid ID] [--count N | --always] [--skip N]\n"
    "            [--msg 1-4|none] [--message TEXT] [--exit N] [--ms N] [--midway]\n"
    "            [--after] [--bytes N] [--file PATH]\n"
    "      KIND: gatekeeper, fail, hang, delay, truncate, noxml, crash, garbage, empty,\n"
    "            huge, longline, reply (prints the --file instead of its output)\n"
    "  fault add lock --sid ID [--lockn N] [--holder TEXT]\n"
    "  fault list [--json] | fault clear [ID]\n"
    "  log [--json] [--tool T] [--last N] | log --clear\n"
    "  state --sid ID (pair|clone|snap) DEV DEV (STATE|none)\n"
    "  set [NAME [VALUE]]                  show or change a setting\n"
    "  clock advance SECONDS               move the simulated clock forward\n"
    "  install DIR                         lay out the tool names in DIR\n"
    "The database is $SYMSIM_DB, else symsim.db above the directory of the program\n"
    "(PREFIX/symcli/symsim.db for PREFIX/bin/symsim, the tools' in PREFIX/symcli/bin).\n"
    "Exit status: 0 done, 1 wrong command line, 2 the command failed.\n";

void removeDatabase(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) {
    std::string p = path + suffix;
    if (std::remove(p.c_str()) != 0 && errno != ENOENT)
      throw CliError("cannot remove " + p + ": " + std::strerror(errno));
  }
}

int cmdInit(const std::string& dbPath, const std::vector<std::string>& rest) {
  AdminArgs a(rest, {}, {"--demo"});
  std::string text, source;
  if (a.has("--demo")) {
    if (!a.positional().empty()) throw UsageError("init takes --demo or a scenario file, not both");
    text = demoScenario();
    source = "demo";
  } else {
    if (a.positional().size() != 1) throw UsageError("init needs --demo or one scenario file");
    source = a.positional()[0];
    std::ifstream in(source, std::ios::binary);
    if (!in) throw CliError("cannot read the scenario file " + source);
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
  }
  // Build the new database beside the old one, then move it into place, so a
  // bad scenario leaves the old database untouched.
  std::string temp = dbPath + ".new";
  removeDatabase(temp);
  try {
    {
      Database db(temp, true);
      loadScenario(db, text, source);
      makeSelfContained(db);
    }
    removeDatabase(dbPath);
    if (std::rename(temp.c_str(), dbPath.c_str()) != 0)
      throw CliError("cannot move " + temp + " to " + dbPath + ": " + std::strerror(errno));
  } catch (...) {
    try {
      removeDatabase(temp);
    } catch (...) {
    }
    throw;
  }
  Database db(dbPath, false);
  const Totals held = totals(db);
  std::printf("Created %s from %s: %lld arrays, %lld devices, %lld hosts.\n", dbPath.c_str(),
              source.c_str(), static_cast<long long>(held.arrays),
              static_cast<long long>(held.devices), static_cast<long long>(held.hosts));
  return 0;
}

void checkSettingValue(const std::string& key, const std::string& value) {
  if (key == setting::kProgress) {
    if (value != "queries" && value != "time")
      throw UsageError("progress is \"queries\" or \"time\"");
    return;
  }
  if (key == setting::kCopyQueries || key == setting::kSplitQueries) {
    uint64_t n = 0;
    if (!parseUnsigned(value, &n)) throw UsageError(key + " needs a whole number");
    return;
  }
  if (key == setting::kCopyRate || key == setting::kSplitSeconds || key == setting::kClockOffset) {
    double d = 0;
    if (!parseNumber(value, &d) || (key == setting::kCopyRate && d <= 0))
      throw UsageError(key + " needs a number" + (key == setting::kCopyRate ? " above 0" : "") +
                       " of at most 1e9");
  }
}

int cmdSet(Database& db, const std::vector<std::string>& rest) {
  if (rest.empty()) {
    for (const SettingInfo& s : allSettings())
      std::printf("%-20s %-12s %s\n", s.key, getSetting(db, s.key, s.fallback).c_str(), s.meaning);
    return 0;
  }
  if (!findSetting(rest[0])) throw UsageError("unknown setting \"" + rest[0] + "\"");
  if (rest.size() == 1) {
    std::printf("%s\n", getSetting(db, rest[0], findSetting(rest[0])->fallback).c_str());
    return 0;
  }
  std::vector<std::string> value(rest.begin() + 1, rest.end());
  std::string v = join(value, " ");
  checkSettingValue(rest[0], v);
  Transaction tx(db);
  setSetting(db, rest[0], v);
  tx.commit();
  return 0;
}

int cmdClock(Database& db, const std::vector<std::string>& rest) {
  if (rest.size() != 2 || rest[0] != "advance") throw UsageError("clock advance SECONDS");
  double seconds = 0;
  if (!parseNumber(rest[1], &seconds) || seconds < 0)
    throw UsageError("clock advance needs a number of seconds up to 1e9, not \"" + rest[1] + "\"");
  Transaction tx(db);
  double offset = std::stod(getSetting(db, setting::kClockOffset, "0")) + seconds;
  setSetting(db, setting::kClockOffset, boundedtext::formatString(64, "%.3f", offset));
  tx.commit();
  return 0;
}

int cmdInstall(const std::vector<std::string>& rest) {
  if (rest.size() != 1) throw UsageError("install needs one directory");
  std::string dir = rest[0];
  std::string target = selfExecutable();
  if (target.empty()) throw CliError("cannot find the symsim executable");
  std::string partial;
  for (const std::string& piece : split(dir, '/')) {
    partial += piece + "/";
    if (!piece.empty()) makeDirectory(partial);
  }
  if (!isDirectory(dir)) throw CliError("cannot create the directory " + dir);
  std::vector<std::string> names = toolNames();
  names.push_back("symsim");
  for (const std::string& name : names) {
    std::string link = dir + "/" + name + kExecutableSuffix;
    std::string why;
    if (!placeTool(target, link, why)) throw CliError("cannot create " + link + ": " + why);
  }
  std::printf("Installed %zu tool names in %s (links to %s).\n", names.size(), dir.c_str(),
              target.c_str());
  return 0;
}

int cmdState(Database& db, const std::vector<std::string>& rest) {
  AdminArgs a(rest, {"--sid"}, {});
  const std::vector<std::string>& p = a.positional();
  if (p.size() != 4 || a.value("--sid").empty())
    throw UsageError("state --sid ID (pair|clone|snap) DEV DEV (STATE|none)");
  std::string kind = p[0];
  std::string state = p[3];
  static const std::vector<std::string> pairStates = {"SyncInProg", "Synchronized", "SplitInProg",
                                                      "Split",      "SplitBfrSync", "SplitBfrRest",
                                                      "RestInProg", "Restored"};
  static const std::vector<std::string> cloneStates = {"Created", "CopyInProg", "Copied",
                                                       "Split",   "RestInProg", "Restored"};
  static const std::vector<std::string> snapStates = {"Created", "CopyOnWrite", "RestInProg",
                                                      "Restored"};
  const std::vector<std::string>* allowed = kind == "pair"    ? &pairStates
                                            : kind == "clone" ? &cloneStates
                                            : kind == "snap"  ? &snapStates
                                                              : nullptr;
  if (!allowed) throw UsageError("state applies to a pair, a clone or a snap");
  bool remove = state == "none" || (kind == "pair" && state == "NeverEstab");
  bool known = remove;
  for (const std::string& s : *allowed) known = known || s == state;
  if (!known)
    throw UsageError("\"" + state + "\" is no " + kind + " state; one of: " + join(*allowed, ", ") +
                     ", none");

  Transaction tx(db);
  Model model(db);
  ArrayRow array = model.findArray(a.value("--sid"));
  DeviceRow first = model.findDevice(array, p[1]);
  DeviceRow second = model.findDevice(array, p[2]);
  if (kind == "pair" && second.type != "bcv")
    throw CliError("Device " + second.name + " is not a BCV device");
  if (kind == "snap" && second.type != "vdev")
    throw CliError("Device " + second.name + " is not a virtual device");
  CopyRow row;
  bool exists = kind == "pair" ? model.pairOfBcv(second.id, &row)
                               : model.session(kind, first.id, second.id, &row);
  if (exists && kind == "pair" && row.first != first.id) {
    model.removeCopy(row);
    exists = false;
  }
  if (remove) {
    if (exists) model.removeCopy(row);
  } else if (exists) {
    model.setState(row, state, row.lastAction);
  } else {
    model.createCopy(kind, first.id, second.id, state, "Forced");
  }
  tx.commit();
  return 0;
}

int cmdFault(Database& db, const std::vector<std::string>& rest) {
  if (rest.empty()) throw UsageError("fault add|list|clear");
  std::vector<std::string> args(rest.begin() + 1, rest.end());
  const std::string& action = rest[0];
  if (action == "list") {
    AdminArgs a(args, {}, {"--json"});
    printFaults(db, a.has("--json"));
    return 0;
  }
  if (action == "clear") {
    AdminArgs a(args, {}, {});
    int64_t id = 0;
    if (a.positional().size() > 1) throw UsageError("fault clear [ID]");
    if (a.positional().size() == 1) {
      uint64_t v = 0;
      if (!parseUnsigned(a.positional()[0], &v) || v == 0)
        throw UsageError("fault clear needs a fault number");
      id = static_cast<int64_t>(v);
    }
    Transaction tx(db);
    int n = clearFaults(db, id);
    tx.commit();
    if (id && !n) throw CliError("no fault number " + std::to_string(id));
    return 0;
  }
  if (action != "add") throw UsageError("fault add|list|clear");
  AdminArgs a(args,
              {"--tool", "--cmd", "--sid", "--count", "--skip", "--msg", "--message", "--exit",
               "--ms", "--lockn", "--holder", "--bytes", "--file"},
              {"--always", "--midway", "--after"});
  if (a.positional().size() != 1) throw UsageError("fault add needs one kind");
  std::string kind = a.positional()[0];
  if (kind == "lock") {
    Transaction tx(db);
    Model model(db);
    ArrayRow array = model.findArray(a.value("--sid"));
    int64_t n = a.number("--lockn", 1);
    if (n > 15) throw UsageError("lock numbers run from 0 to 15");
    model.holdLock(array.id, n, a.value("--holder", "symsim fault"));
    tx.commit();
    std::printf("Lock %lld held on %s until \"symcfg -sid %s -lockn %lld release\".\n",
                static_cast<long long>(n), array.symid.c_str(), array.symid.c_str(),
                static_cast<long long>(n));
    return 0;
  }
  if (!isFaultKind(kind)) throw UsageError("unknown fault kind \"" + kind + "\"");
  Fault f;
  f.kind = kind;
  f.tool = a.value("--tool");
  if (!f.tool.empty() && !findTool(f.tool)) throw UsageError("unknown tool \"" + f.tool + "\"");
  f.command = a.value("--cmd");
  f.symid = a.value("--sid");
  f.remaining = a.has("--always") ? -1 : a.number("--count", 1);
  if (f.remaining == 0) throw UsageError("--count must be at least 1");
  f.skip = a.number("--skip", 0);
  f.message = a.value("--message");
  if (kind == "reply") {
    // The reply is read now, so the file may go once the fault is set.
    if (!a.has("--file")) throw UsageError("fault add reply needs --file PATH");
    std::ifstream in(a.value("--file"), std::ios::binary);
    if (!in) throw CliError("cannot read the reply file " + a.value("--file"));
    std::ostringstream text;
    text << in.rdbuf();
    f.message = text.str();
  }
  f.exitStatus = a.number("--exit", 0);
  if (f.exitStatus > 255) throw UsageError("--exit takes a status from 1 to 255");
  f.millis = a.number("--ms", kind == "delay" ? 1000 : 0);
  // huge and longline keep their size where delay keeps its time.
  if (kind == "huge") f.millis = a.number("--bytes", 16 << 20);
  if (kind == "longline") f.millis = a.number("--bytes", 1 << 20);
  f.midway = a.has("--midway") || a.has("--after");
  std::string which = a.value("--msg", "1");
  if (which == "none") {
    f.which = 0;
  } else {
    uint64_t w = 0;
    if (!parseUnsigned(which, &w) || w < 1 || w > 4)
      throw UsageError("--msg takes 1, 2, 3, 4 or none");
    f.which = static_cast<int64_t>(w);
  }
  Transaction tx(db);
  int64_t id = addFault(db, f);
  tx.commit();
  std::printf("%lld\n", static_cast<long long>(id));
  return 0;
}

int dispatch(const std::string& dbPath, const std::string& command,
             const std::vector<std::string>& rest) {
  if (command == "init") return cmdInit(dbPath, rest);
  if (command == "install") return cmdInstall(rest);
  static const char* const kDatabaseCommands[] = {"show", "log", "fault", "state", "set", "clock"};
  if (std::find(std::begin(kDatabaseCommands), std::end(kDatabaseCommands), command) ==
      std::end(kDatabaseCommands))
    throw UsageError("unknown command \"" + command + "\"");
  Database db(dbPath, false);
  if (command == "show") {
    AdminArgs a(rest, {"--sid"}, {"--devices", "--json"});
    if (!a.positional().empty()) throw UsageError("show takes no arguments");
    printShow(db, dbPath, a.value("--sid"), a.has("--devices"), a.has("--json"));
    return 0;
  }
  if (command == "log") {
    AdminArgs a(rest, {"--tool", "--last"}, {"--json", "--clear"});
    if (!a.positional().empty()) throw UsageError("log takes no arguments");
    if (a.has("--clear")) {
      Transaction tx(db);
      clearRunLog(db);
      tx.commit();
      return 0;
    }
    printLog(db, a.value("--tool"), a.number("--last", 0), a.has("--json"));
    return 0;
  }
  if (command == "fault") return cmdFault(db, rest);
  if (command == "state") return cmdState(db, rest);
  if (command == "set") return cmdSet(db, rest);
  if (command == "clock") return cmdClock(db, rest);
  throw UsageError("unknown command \"" + command + "\"");
}

}  // namespace

int runAdmin(const std::string& argv0, const std::vector<std::string>& args) {
  std::vector<std::string> rest;
  std::string dbPath;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--db" && i + 1 < args.size()) {
      dbPath = args[++i];
    } else {
      rest.push_back(args[i]);
    }
  }
  if (dbPath.empty()) dbPath = databasePath(argv0);
  if (!rest.empty() && rest[0] == "--version") {
    std::printf("symsim %s\n", SYMSIM_VERSION);
    return 0;
  }
  const bool help = std::find_if(rest.begin(), rest.end(), [](const std::string& a) {
                      return a == "--help" || a == "-h";
                    }) != rest.end();
  if (rest.empty() || rest[0] == "help" || help) {
    std::fputs(kUsage, rest.empty() ? stderr : stdout);
    return rest.empty() ? kExitUsage : 0;
  }
  std::string command = rest[0];
  rest.erase(rest.begin());
  try {
    return dispatch(dbPath, command, rest);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "symsim: %s; try 'symsim --help'\n", e.what());
    return kExitUsage;
  } catch (const CliError& e) {
    std::fprintf(stderr, "symsim: %s\n", e.what());
    return e.status();
  } catch (const ScenarioError& e) {
    std::fprintf(stderr, "symsim: %s\n", e.what());
    return kExitFailed;
  } catch (const DatabaseError& e) {
    std::fprintf(stderr, "symsim: %s\n", e.what());
    return kExitFailed;
  }
}

}  // namespace symsim
