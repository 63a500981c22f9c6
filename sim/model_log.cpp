// Model: the command log and the fault store.
#include "model_log.h"

namespace symsim {

namespace {

const char* kColumns =
    "SELECT id, kind, tool, command, symid, remaining, skip, fired, message, exit_status, millis, "
    "which, midway "
    "FROM faults ";

Fault readFault(Statement& st) {
  Fault f;
  f.id = st.integer(0);
  f.kind = st.text(1);
  f.tool = st.text(2);
  f.command = st.text(3);
  f.symid = st.text(4);
  f.remaining = st.integer(5);
  f.skip = st.integer(6);
  f.fired = st.integer(7);
  f.message = st.text(8);
  f.exitStatus = st.integer(9);
  f.millis = st.integer(10);
  f.which = st.integer(11);
  f.midway = st.integer(12) != 0;
  return f;
}

}  // namespace

int64_t addFault(Database& db, const Fault& f) {
  Statement st(db,
               "INSERT INTO faults(kind, tool, command, symid, remaining, skip, message, "
               "exit_status, millis, which, "
               "midway) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  st.bind(1, f.kind)
      .bind(2, f.tool.empty() ? nullptr : f.tool.c_str())
      .bind(3, f.command.empty() ? nullptr : f.command.c_str())
      .bind(4, f.symid.empty() ? nullptr : f.symid.c_str())
      .bind(5, f.remaining)
      .bind(6, f.skip)
      .bind(7, f.message)
      .bind(8, f.exitStatus)
      .bind(9, f.millis)
      .bind(10, f.which)
      .bind(11, f.midway ? 1 : 0)
      .run();
  return db.lastInsertId();
}

std::vector<Fault> listFaults(Database& db) {
  std::vector<Fault> out;
  Statement st(db, (std::string(kColumns) + "ORDER BY id").c_str());
  while (st.step()) out.push_back(readFault(st));
  return out;
}

int clearFaults(Database& db, int64_t id) {
  if (id == 0) {
    db.exec("DELETE FROM faults");
  } else {
    Statement st(db, "DELETE FROM faults WHERE id = ?");
    st.bind(1, id).run();
  }
  return db.changes();
}

bool takeFault(Database& db, const std::string& tool, const std::string& command,
               const std::string& symid, Fault* fired) {
  std::vector<Fault> live;
  {
    Statement st(db, (std::string(kColumns) + "WHERE remaining != 0 ORDER BY id").c_str());
    while (st.step()) live.push_back(readFault(st));
  }
  for (Fault& f : live) {
    if (!faultMatches(f, tool, command, symid)) continue;
    if (f.skip > 0) {
      Statement st(db, "UPDATE faults SET skip = skip - 1 WHERE id = ?");
      st.bind(1, f.id).run();
      continue;
    }
    Statement st(db,
                 "UPDATE faults SET fired = fired + 1, remaining = CASE WHEN remaining > 0 THEN "
                 "remaining - 1 "
                 "ELSE remaining END WHERE id = ?");
    st.bind(1, f.id).run();
    *fired = f;
    return true;
  }
  return false;
}

int64_t logRunStart(Database& db, const RunRow& run) {
  Statement st(db,
               "INSERT INTO runs(pid, tool, args, command, symid, pair_file, started) "
               "VALUES(?, ?, ?, ?, ?, ?, ?)");
  auto text = [](const std::optional<std::string>& value) {
    return value ? value->c_str() : nullptr;
  };
  st.bind(1, run.pid)
      .bind(2, run.tool)
      .bind(3, run.argsJson)
      .bind(4, text(run.command))
      .bind(5, text(run.symid))
      .bind(6, text(run.pairFile))
      .bind(7, run.started)
      .run();
  return db.lastInsertId();
}

void logRunEnd(Database& db, int64_t id, int exitStatus, double durationMs,
               const std::string& fault, const std::string& message) {
  Statement st(
      db, "UPDATE runs SET exit_status = ?, duration_ms = ?, fault = ?, message = ? WHERE id = ?");
  st.bind(1, exitStatus)
      .bind(2, durationMs)
      .bind(3, fault.empty() ? nullptr : fault.c_str())
      .bind(4, message.empty() ? nullptr : message.c_str())
      .bind(5, id)
      .run();
}

std::vector<RunRow> loggedRuns(Database& db, const std::string& tool) {
  std::string sql =
      "SELECT id, pid, tool, args, command, symid, pair_file, started, duration_ms, exit_status, "
      "fault, message FROM runs";
  if (!tool.empty()) sql += " WHERE tool = ?1";
  sql += " ORDER BY id";
  Statement st(db, sql.c_str());
  if (!tool.empty()) st.bind(1, tool);
  auto text = [&st](int column) {
    return st.isNull(column) ? std::optional<std::string>() : st.text(column);
  };
  std::vector<RunRow> out;
  while (st.step()) {
    RunRow r;
    r.id = st.integer(0);
    r.pid = st.integer(1);
    r.tool = st.text(2);
    r.argsJson = st.text(3);
    r.command = text(4);
    r.symid = text(5);
    r.pairFile = text(6);
    r.started = st.real(7);
    if (!st.isNull(8)) r.durationMs = st.real(8);
    if (!st.isNull(9)) r.exitStatus = st.integer(9);
    r.fault = text(10);
    r.message = text(11);
    out.push_back(r);
  }
  return out;
}

void clearRunLog(Database& db) { db.exec("DELETE FROM runs"); }

}  // namespace symsim
