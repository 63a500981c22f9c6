// symmir, symclone and symsnap: BCV pairs and clone and snap sessions named
// by a device file. Every line is checked before anything changes, so a
// refused command leaves all pairs as they were.
#include <set>

#include "devicereport.h"
#include "errors.h"
#include "text.h"
#include "tools.h"
#include "xmlwriter.h"

namespace symsim {

namespace {

struct DevicePair {
  DeviceRow first;
  DeviceRow second;
};

std::string pairText(const DevicePair& p) { return p.first.name + " " + p.second.name; }

std::vector<DevicePair> resolvePairs(Context& ctx, const ArrayRow& array) {
  std::vector<DevicePair> out;
  std::set<std::string> targets;
  for (const PairLine& line : ctx.pairLines()) {
    DevicePair p{ctx.model.findDevice(array, line.first), ctx.model.findDevice(array, line.second)};
    if (p.first.id == p.second.id)
      throw CliError("Line " + std::to_string(line.line) + " pairs device " + p.first.name +
                     " with itself");
    if (!targets.insert(p.second.name).second)
      throw CliError("Device " + p.second.name + " appears twice as a target in the device file");
    out.push_back(p);
  }
  return out;
}

void requireType(const DeviceRow& d, bool ok, const std::string& what) {
  if (!ok) throw CliError("Device " + d.name + " " + what);
}

void requireCapacity(const DevicePair& p) {
  if (p.second.megabytes < p.first.megabytes)
    throw CliError("Device " + p.second.name + " (" + std::to_string(p.second.megabytes) +
                   " MB) is smaller than device " + p.first.name + " (" +
                   std::to_string(p.first.megabytes) + " MB)");
}

std::string wrongState(const std::string& what, const DevicePair& p, const std::string& state,
                       const std::string& action) {
  return "The " + what + " " + pairText(p) + " is in the state " + state + "; " + action +
         " is not possible";
}

const char* kControlFlags[] = {"-noprompt", "-consistent", "-full", "-symforce", "-restored", "-v"};

// One action of a TimeFinder tool: its word, its flags and its handler.
struct Action {
  std::string name;
  std::set<std::string> flags;
  void (*run)(Context&);
};

ToolGrammar timefinderGrammar(const std::vector<Action>& actions, const std::string& tool) {
  ToolGrammar t;
  t.valueOptions = {"-sid", "-file"};
  for (const char* f : kControlFlags) t.flagOptions.insert(f);
  std::string names;
  for (const Action& a : actions) {
    t.commands.push_back(
        CommandSpec{a.name, {a.name}, 0, {"-sid", "-file"}, {}, {}, a.flags, a.run});
    names += (names.empty() ? "" : "|") + a.name;
  }
  t.usage = "usage: " + tool + " -sid SymmID -file DeviceFile " + names +
            " [-noprompt] [-consistent] ...\n       [-output XML | XML_ATTRIBUTE] (query)\n";
  return t;
}

// The device pairs of the command's device file, on the array of -sid.
std::vector<DevicePair> filePairs(Context& ctx) { return resolvePairs(ctx, ctx.array()); }

// ---- symmir ----

bool pairOf(Context& ctx, const DevicePair& p, CopyRow* row) {
  return ctx.model.pairOfBcv(p.second.id, row) && row->first == p.first.id;
}

void mirEstablish(Context& ctx) {
  const std::vector<DevicePair> pairs = filePairs(ctx);
  bool full = ctx.cmd.has("-full");
  std::vector<CopyRow> existing(pairs.size());
  std::vector<bool> has(pairs.size(), false);
  for (size_t i = 0; i < pairs.size(); ++i) {
    const DevicePair& p = pairs[i];
    requireType(p.first, p.first.type != "bcv" && p.first.type != "vdev",
                "cannot be the standard device of a BCV pair");
    requireType(p.second, p.second.type == "bcv", "is not a BCV device");
    requireCapacity(p);
    CopyRow row;
    if (!ctx.model.pairOfBcv(p.second.id, &row)) continue;
    CopyView v = ctx.model.observe(row, p.first.megabytes, false);
    if (row.first != p.first.id) {
      DeviceRow other = ctx.model.deviceById(row.first);
      if (!full || bcvAttached(v.state))
        throw CliError(
            "BCV device " + p.second.name + " is paired with standard device " + other.name +
            (full ? " (" + v.state + ")" : "; use -full to pair it with " + p.first.name));
    } else if (v.state != "Split" && v.state != "SplitBfrSync" && v.state != "SplitBfrRest" &&
               v.state != "Restored") {
      throw CliError(wrongState("BCV pair", p, v.state, "establish"));
    }
    existing[i] = row;
    has[i] = true;
  }
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (has[i] && existing[i].first != pairs[i].first.id) {
      ctx.model.removeCopy(existing[i]);
      has[i] = false;
    }
    if (has[i])
      ctx.model.setState(existing[i], "SyncInProg", full ? "Full Establish" : "Establish");
    else
      ctx.model.createCopy("pair", pairs[i].first.id, pairs[i].second.id, "SyncInProg",
                           "Full Establish");
  }
  ctx.out = "'Incremental Establish' operation succeeded for the device file.\n";
  if (full) ctx.out = "'Full Establish' operation succeeded for the device file.\n";
}

void mirSplit(Context& ctx) {
  const std::vector<DevicePair> pairs = filePairs(ctx);
  std::vector<CopyRow> rows(pairs.size());
  std::vector<std::string> next(pairs.size());
  for (size_t i = 0; i < pairs.size(); ++i) {
    const DevicePair& p = pairs[i];
    if (!pairOf(ctx, p, &rows[i])) throw CliError(wrongState("BCV pair", p, "NeverEstab", "split"));
    std::string state = ctx.model.observe(rows[i], p.first.megabytes, false).state;
    if (state == "Synchronized" || state == "Restored")
      next[i] = "SplitInProg";
    else if (state == "SyncInProg")
      next[i] = "SplitBfrSync";
    else if (state == "RestInProg")
      next[i] = "SplitBfrRest";
    else
      throw CliError(wrongState("BCV pair", p, state, "split"));
  }
  for (size_t i = 0; i < pairs.size(); ++i) ctx.model.setState(rows[i], next[i], "Split");
  ctx.out = "'Split' operation succeeded for the device file.\n";
}

void mirRestore(Context& ctx) {
  const std::vector<DevicePair> pairs = filePairs(ctx);
  std::vector<CopyRow> rows(pairs.size());
  for (size_t i = 0; i < pairs.size(); ++i) {
    const DevicePair& p = pairs[i];
    if (!pairOf(ctx, p, &rows[i]))
      throw CliError(wrongState("BCV pair", p, "NeverEstab", "restore"));
    std::string state = ctx.model.observe(rows[i], p.first.megabytes, false).state;
    if (state != "Split") throw CliError(wrongState("BCV pair", p, state, "restore"));
  }
  for (CopyRow& r : rows) ctx.model.setState(r, "RestInProg", "Restore");
  ctx.out = "'Incremental Restore' operation succeeded for the device file.\n";
}

void mirQuery(Context& ctx) {
  const ArrayRow array = ctx.array();
  const std::vector<DevicePair> pairs = resolvePairs(ctx, array);
  XmlWriter xml;
  for (const DevicePair& p : pairs) {
    requireType(p.second, p.second.type == "bcv", "is not a BCV device");
    CopyRow row;
    CopyView v{"NeverEstab", 1.0};
    std::string lastAction;
    if (pairOf(ctx, p, &row)) {
      v = ctx.model.observe(row, p.first.megabytes, true);
      lastAction = row.lastAction;
    }
    int64_t tracks = tracksOf(p.first.megabytes);
    int64_t remaining = static_cast<int64_t>(static_cast<double>(tracks) * (1.0 - v.fraction));
    xml.open("Device", {{"symmetrix", array.symid}});
    xml.open("BCV_Pair", {{"state", v.state},
                          {"last_action", lastAction},
                          {"percent", std::to_string(static_cast<int>(v.fraction * 100))}});
    xml.leaf("STD", {{"dev_name", p.first.name},
                     {"ld_name", p.first.ldName},
                     {"dgroup", p.first.dgroup},
                     {"invalids", v.state == "RestInProg" ? std::to_string(remaining) : "0"}});
    xml.leaf("BCV", {{"dev_name", p.second.name},
                     {"ld_name", p.second.ldName},
                     {"dgroup", p.second.dgroup},
                     {"invalids", v.state == "SyncInProg" ? std::to_string(remaining) : "0"}});
    xml.close();
    xml.close();
  }
  ctx.out = xml.finish();
}

// ---- symclone and symsnap ----

bool sessionOf(Context& ctx, const std::string& kind, const DevicePair& p, CopyRow* row) {
  return ctx.model.session(kind, p.first.id, p.second.id, row);
}

std::vector<CopyRow> requireSessions(Context& ctx, const std::string& kind,
                                     const std::vector<DevicePair>& pairs,
                                     const std::string& action) {
  std::vector<CopyRow> rows(pairs.size());
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (!sessionOf(ctx, kind, pairs[i], &rows[i]))
      throw CliError("No " + kind + " session exists for the device pair " + pairText(pairs[i]) +
                     "; " + action + " is not possible");
    ctx.model.observe(rows[i], pairs[i].first.megabytes, false);
  }
  return rows;
}

void checkNewSessions(Context& ctx, const std::string& kind, const std::vector<DevicePair>& pairs) {
  for (const DevicePair& p : pairs) {
    requireType(p.first, p.first.type != "vdev", "cannot be the source of a " + kind + " session");
    if (kind == "snap")
      requireType(p.second, p.second.type == "vdev", "is not a virtual device (snap target)");
    else
      requireType(p.second, p.second.type != "vdev",
                  "is a virtual device and cannot be a clone target");
    requireCapacity(p);
    for (const CopyRow& s : ctx.model.sessionsOf(kind, p.second.id)) {
      if (s.second == p.second.id) {
        DeviceRow src = ctx.model.deviceById(s.first);
        throw CliError("Device " + p.second.name + " is already the target of a " + kind +
                       " session with " + src.name + " (" + s.state + ")");
      }
    }
  }
}

void changeState(Context& ctx, std::vector<CopyRow>& rows, const std::vector<DevicePair>& pairs,
                 const std::set<std::string>& from, const std::string& to,
                 const std::string& action, const std::string& kind) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (!from.count(rows[i].state))
      throw CliError(wrongState(kind + " session", pairs[i], rows[i].state, action));
  for (CopyRow& r : rows) ctx.model.setState(r, to, action);
}

void sessionQuery(Context& ctx, const ArrayRow& array, const std::string& kind,
                  const std::vector<DevicePair>& pairs) {
  std::vector<CopyRow> rows = requireSessions(ctx, kind, pairs, "query");
  XmlWriter xml;
  xml.open("Symmetrix", {{"symid", array.symid}});
  for (size_t i = 0; i < rows.size(); ++i) {
    CopyView v = ctx.model.observe(rows[i], pairs[i].first.megabytes, true);
    int percent = static_cast<int>(v.fraction * 100);
    if (kind == "snap" && !isTransient(v.state) && v.state != "Restored") percent = 0;
    xml.open("Session", {{kind == "snap" ? "snap_state" : "state", v.state},
                         {"last_action", rows[i].lastAction},
                         {"percent_copied", std::to_string(percent)}});
    xml.leaf("Source", {{"dev_name", pairs[i].first.name}, {"ld_name", pairs[i].first.ldName}});
    xml.leaf("Target", {{"dev_name", pairs[i].second.name}, {"ld_name", pairs[i].second.ldName}});
    xml.close();
  }
  ctx.out = xml.finish();
}

void terminate(Context& ctx, const std::string& kind, const std::vector<DevicePair>& pairs) {
  std::vector<CopyRow> rows = requireSessions(ctx, kind, pairs, "terminate");
  bool force = ctx.cmd.has("-symforce");
  if (ctx.cmd.has("-restored")) {
    // Ends the restore session only; the snap goes on copying on write.
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].state != "Restored")
        throw CliError(
            wrongState(kind + " session", pairs[i], rows[i].state, "terminate -restored"));
    for (CopyRow& r : rows) ctx.model.setState(r, "CopyOnWrite", "Terminate");
    ctx.out = "'Terminate' operation succeeded for the restored sessions of the device file.\n";
    return;
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string& s = rows[i].state;
    bool busy = isTransient(s) || (kind == "snap" && s == "Restored");
    if (busy && !force)
      throw CliError(wrongState(kind + " session", pairs[i], s, "terminate without -symforce"));
  }
  for (const CopyRow& r : rows) ctx.model.removeCopy(r);
  ctx.out = "'Terminate' operation succeeded for the device file.\n";
}

// The commands of symclone and symsnap, each over the pairs of the file.
void createSessions(Context& ctx, const std::string& kind, bool establish) {
  const std::vector<DevicePair> pairs = filePairs(ctx);
  checkNewSessions(ctx, kind, pairs);
  for (const DevicePair& p : pairs)
    ctx.model.createCopy(kind, p.first.id, p.second.id, establish ? "CopyInProg" : "Created",
                         establish ? "Establish" : "Create");
  ctx.out = "'" + std::string(establish ? "Establish" : "Create") +
            "' operation succeeded for the device file.\n";
}

void moveSessions(Context& ctx, const std::string& kind, const std::set<std::string>& from,
                  const std::string& to, const std::string& action) {
  const std::vector<DevicePair> pairs = filePairs(ctx);
  std::vector<CopyRow> rows = requireSessions(ctx, kind, pairs, ctx.cmd.name);
  changeState(ctx, rows, pairs, from, to, action, kind);
  if (kind == "snap" && to == "RestInProg") {
    // The virtual device is not ready to its host until made ready again.
    for (const DevicePair& p : pairs) ctx.model.setDeviceStatus(p.second.id, "Not Ready");
  }
  ctx.out = "'" + ctx.cmd.name + "' operation succeeded for the device file.\n";
}

void queryFile(Context& ctx, const std::string& kind) {
  const ArrayRow array = ctx.array();
  sessionQuery(ctx, array, kind, resolvePairs(ctx, array));
}

void cloneEstablish(Context& ctx) { createSessions(ctx, "clone", true); }
void cloneCreate(Context& ctx) { createSessions(ctx, "clone", false); }
void cloneActivate(Context& ctx) {
  moveSessions(ctx, "clone", {"Created"}, "CopyInProg", "Activate");
}
void cloneSplit(Context& ctx) {
  moveSessions(ctx, "clone", {"Copied", "Restored"}, "Split", "Split");
}
void cloneRestore(Context& ctx) {
  moveSessions(ctx, "clone", {"Copied", "Split"}, "RestInProg", "Restore");
}
void cloneTerminate(Context& ctx) { terminate(ctx, "clone", filePairs(ctx)); }
void cloneQuery(Context& ctx) { queryFile(ctx, "clone"); }

void snapCreate(Context& ctx) { createSessions(ctx, "snap", false); }
void snapActivate(Context& ctx) {
  moveSessions(ctx, "snap", {"Created"}, "CopyOnWrite", "Activate");
}
void snapRestore(Context& ctx) {
  moveSessions(ctx, "snap", {"CopyOnWrite"}, "RestInProg", "Restore");
}
void snapTerminate(Context& ctx) { terminate(ctx, "snap", filePairs(ctx)); }
void snapQuery(Context& ctx) { queryFile(ctx, "snap"); }

}  // namespace

const ToolGrammar& symmirGrammar() {
  static const ToolGrammar g =
      timefinderGrammar({{"establish", {"-noprompt", "-full", "-v"}, mirEstablish},
                         {"split", {"-noprompt", "-consistent", "-v"}, mirSplit},
                         {"restore", {"-noprompt", "-full", "-v"}, mirRestore},
                         {"query", {"-v"}, mirQuery}},
                        "symmir");
  return g;
}

const ToolGrammar& symcloneGrammar() {
  static const ToolGrammar g =
      timefinderGrammar({{"establish", {"-noprompt", "-full", "-consistent", "-v"}, cloneEstablish},
                         {"create", {"-noprompt", "-v"}, cloneCreate},
                         {"activate", {"-noprompt", "-consistent", "-v"}, cloneActivate},
                         {"split", {"-noprompt", "-v"}, cloneSplit},
                         {"restore", {"-noprompt", "-v"}, cloneRestore},
                         {"terminate", {"-noprompt", "-symforce", "-v"}, cloneTerminate},
                         {"query", {"-v"}, cloneQuery}},
                        "symclone");
  return g;
}

const ToolGrammar& symsnapGrammar() {
  static const ToolGrammar g = timefinderGrammar(
      {{"create", {"-noprompt", "-v"}, snapCreate},
       {"activate", {"-noprompt", "-consistent", "-v"}, snapActivate},
       {"restore", {"-noprompt", "-v"}, snapRestore},
       {"terminate", {"-noprompt", "-symforce", "-restored", "-v"}, snapTerminate},
       {"query", {"-v"}, snapQuery}},
      "symsnap");
  return g;
}

}  // namespace symsim
