#include "faults.h"

#include "text.h"

namespace symsim {

const char* const kFaultKinds[] = {"gatekeeper", "fail",  "hang", "delay",
                                   "truncate",   "noxml", nullptr};

bool isFaultKind(const std::string& kind) {
  for (int i = 0; kFaultKinds[i]; ++i)
    if (kind == kFaultKinds[i]) return true;
  return false;
}

const char* gatekeeperMessage(int64_t which) {
  switch (which) {
    case 1:
      return "The operation failed because another process has an exclusive lock on the local "
             "Symmetrix";
    case 2:
      return "The gatekeeper device (while using the Base Daemon) has an error (Please see the Log "
             "file)";
    case 3:
      return "A gate keeper cannot be opened";
    case 4:
      return "The Symmetrix configuration could not be loaded for a locally-attached Symmetrix";
    default:
      return "";
  }
}

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

bool matches(const Fault& f, const std::string& tool, const std::string& command,
             const std::string& symid) {
  if (!f.tool.empty() && f.tool != tool) return false;
  if (!f.command.empty() && !equalsNoCase(f.command, command) &&
      !equalsNoCase(f.command, words(command).at(0)))
    return false;
  if (!f.symid.empty()) {
    // The run's -sid may be the ID's last digits, like the fault's.
    if (symid.empty()) return false;
    const std::string& longer = f.symid.size() >= symid.size() ? f.symid : symid;
    const std::string& shorter = f.symid.size() >= symid.size() ? symid : f.symid;
    if (longer.compare(longer.size() - shorter.size(), shorter.size(), shorter) != 0) return false;
  }
  return true;
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
    if (!matches(f, tool, command, symid)) continue;
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

}  // namespace symsim
