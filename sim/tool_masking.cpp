// symmask and symmaskdb: host bus adapters, logins, and the masking
// database that grants devices to an HBA through a director port.
#include <map>
#include <set>

#include "errors.h"
#include "text.h"
#include "tools.h"
#include "xmlwriter.h"

namespace symsim {

namespace {

const char* kNoRecords =
    "No device masking database records could be found for the specified input parameters";

std::string yesNo(bool b) { return b ? "Yes" : "No"; }

// The masking record of an HBA through a director port, created on demand.
int64_t maskRecord(Database& db, int64_t portId, const std::string& wwn, bool create) {
  {
    Statement st(db, "SELECT id FROM maskdb WHERE port_id = ? AND wwn = ?");
    st.bind(1, portId).bind(2, wwn);
    if (st.step()) return st.integer(0);
  }
  if (!create) return 0;
  Statement ins(db, "INSERT INTO maskdb(port_id, wwn) VALUES(?, ?)");
  ins.bind(1, portId).bind(2, wwn).run();
  return db.lastInsertId();
}

bool wwnKnown(Context& ctx, const ArrayRow& array, const std::string& wwn) {
  HbaRow hba;
  if (ctx.model.hbaByWwn(wwn, &hba)) return true;
  Statement st(ctx.model.db(), "SELECT 1 FROM aliases WHERE array_id = ? AND wwn = ?");
  st.bind(1, array.id).bind(2, wwn);
  return st.step();
}

void addOrRemove(Context& ctx, bool add) {
  ArrayRow array = ctx.array();
  std::string wwn = canonicalWwn(ctx.cmd.value("-wwn"));
  PortRow port = ctx.model.findPort(array, ctx.cmd.value("-dir"), ctx.cmd.value("-port"));
  std::string where = directorDisplay(port.director) + ":" + std::to_string(port.port);
  if (!wwnKnown(ctx, array, wwn))
    throw CliError("The WWN " + wwn + " is not known to Symmetrix " + array.symid);
  std::vector<DeviceRow> devices = ctx.model.findDevices(array, ctx.cmd.operands[0]);
  Database& db = ctx.model.db();
  int64_t record = maskRecord(db, port.id, wwn, add);
  for (const DeviceRow& d : devices) {
    bool mapped = false;
    for (const PortRow& p : ctx.model.devicePorts(d.id)) mapped = mapped || p.id == port.id;
    if (add && !mapped)
      throw CliError("Device " + d.name + " is not mapped to director port " + where);
    int64_t pending = -1;
    if (record) {
      Statement st(db, "SELECT pending FROM mask_devs WHERE record_id = ? AND device_id = ?");
      st.bind(1, record).bind(2, d.id);
      if (st.step()) pending = st.integer(0);
    }
    if (add) {
      if (pending == -1) {
        Statement st(db, "INSERT INTO mask_devs(record_id, device_id, pending) VALUES(?, ?, 1)");
        st.bind(1, record).bind(2, d.id).run();
      } else if (pending == 2) {
        Statement st(db, "UPDATE mask_devs SET pending = 0 WHERE record_id = ? AND device_id = ?");
        st.bind(1, record).bind(2, d.id).run();
      }
    } else {
      if (pending == -1 || pending == 2)
        throw CliError("Device " + d.name + " is not assigned to WWN " + wwn +
                       " on director port " + where);
      const char* sql =
          pending == 1 ? "DELETE FROM mask_devs WHERE record_id = ? AND device_id = ?"
                       : "UPDATE mask_devs SET pending = 2 WHERE record_id = ? AND device_id = ?";
      Statement st(db, sql);
      st.bind(1, record).bind(2, d.id).run();
    }
  }
  ctx.out = std::string("The devices were ") + (add ? "added to" : "removed from") +
            " the device masking database of Symmetrix " + array.symid + ".\n";
}

std::vector<ArrayRow> arraysOf(Context& ctx) {
  if (!ctx.cmd.value("-sid").empty()) return {ctx.array()};
  std::vector<ArrayRow> out;
  for (const ArrayRow& a : ctx.model.arrays())
    if (a.discovered) out.push_back(a);
  return out;
}

void refresh(Context& ctx) {
  Database& db = ctx.model.db();
  for (const ArrayRow& a : arraysOf(ctx)) {
    const char* apply[] = {
        "DELETE FROM mask_devs WHERE pending = 2 AND record_id IN "
        "(SELECT m.id FROM maskdb m JOIN ports p ON p.id = m.port_id WHERE p.array_id = ?)",
        "UPDATE mask_devs SET pending = 0 WHERE pending = 1 AND record_id IN "
        "(SELECT m.id FROM maskdb m JOIN ports p ON p.id = m.port_id WHERE p.array_id = ?)"};
    for (const char* sql : apply) {
      Statement st(db, sql);
      st.bind(1, a.id).run();
    }
    Statement st(db, "UPDATE arrays SET refreshed = ? WHERE id = ?");
    st.bind(1, ctx.model.now()).bind(2, a.id).run();
    ctx.out += "Symmetrix FA directors updated with contents of SymMask Database " + a.symid + "\n";
  }
}

// Local HBAs that log in to `array`, each with its login ports.
std::vector<HbaRow> localHbasOn(Context& ctx, const ArrayRow& array) {
  std::vector<HbaRow> out;
  HostRow local = ctx.model.localHost();
  for (const HbaRow& h : ctx.model.hbas(local.id)) {
    Statement st(ctx.model.db(),
                 "SELECT 1 FROM logins l JOIN ports p ON p.id = l.port_id WHERE l.hba_id = ? AND "
                 "p.array_id = ?");
    st.bind(1, h.id).bind(2, array.id);
    if (st.step()) out.push_back(h);
  }
  return out;
}

void discoverHba(Context& ctx) {
  bool rename = ctx.cmd.has("-rename");
  XmlWriter xml;
  int found = 0;
  for (const ArrayRow& a : arraysOf(ctx)) {
    std::vector<HbaRow> hbas = localHbasOn(ctx, a);
    if (hbas.empty()) continue;
    xml.open("Symmetrix", {{"symid", a.symid}});
    for (const HbaRow& h : hbas) {
      // -rename registers the HBA under the host's name; without it only
      // an HBA that has no name yet gets one.
      const char* sql =
          rename
              ? "INSERT INTO aliases(array_id, wwn, node, port) VALUES(?, ?, NULL, NULL) "
                "ON CONFLICT(array_id, wwn) DO UPDATE SET node = NULL, port = NULL"
              : "INSERT OR IGNORE INTO aliases(array_id, wwn, node, port) VALUES(?, ?, NULL, NULL)";
      Statement st(ctx.model.db(), sql);
      st.bind(1, a.id).bind(2, h.wwn).run();
      std::string node, port;
      ctx.model.alias(a.id, h.wwn, &node, &port);
      xml.leaf(
          "Host_HBA",
          {{"WWN", h.wwn}, {"awwn_node_name", node}, {"awwn_port_name", port}, {"type", "Fibre"}});
      ++found;
    }
    xml.close();
  }
  if (!found) throw CliError("No host bus adapter of this host logs in to a Symmetrix");
  ctx.out = xml.finish();
}

void listHba(Context& ctx) {
  HostRow local = ctx.model.localHost();
  std::vector<HbaRow> hbas = ctx.model.hbas(local.id);
  if (hbas.empty()) throw CliError("No host bus adapters were found on this host");
  XmlWriter xml;
  int index = 0;
  for (const HbaRow& h : hbas) {
    xml.open("Host_HBA", {{"name", "host" + std::to_string(index++)},
                          {"WWN", h.wwn},
                          {"awwn_node_name", ctx.model.registeredName(local)},
                          {"awwn_port_name", h.portName}});
    Statement st(
        ctx.model.db(),
        "SELECT a.symid, p.director, p.port FROM logins l JOIN ports p ON p.id = l.port_id "
        "JOIN arrays a ON a.id = p.array_id WHERE l.hba_id = ? ORDER BY a.id, p.id");
    st.bind(1, h.id);
    while (st.step())
      xml.leaf("Port", {{"symid", st.text(0)},
                        {"director", directorShort(st.text(1))},
                        {"port", std::to_string(st.integer(2))}});
    xml.close();
  }
  ctx.out = xml.finish();
}

void listLogins(Context& ctx) {
  XmlWriter xml;
  for (const ArrayRow& a : arraysOf(ctx)) {
    xml.open("Symmetrix", {{"symid", a.symid}});
    Statement st(
        ctx.model.db(),
        "SELECT p.director, p.port, h.wwn, l.logged_in, l.on_fabric FROM logins l "
        "JOIN ports p ON p.id = l.port_id JOIN hbas h ON h.id = l.hba_id WHERE p.array_id = ? "
        "ORDER BY p.id, h.id");
    st.bind(1, a.id);
    std::string current;
    while (st.step()) {
      std::string where = st.text(0) + ":" + std::to_string(st.integer(1));
      if (where != current) {
        if (!current.empty()) xml.close();
        current = where;
        xml.open("Devmask_Login_Record", {{"director", directorDisplay(st.text(0))},
                                          {"port", std::to_string(st.integer(1))}});
      }
      std::string node, port;
      ctx.model.alias(a.id, st.text(2), &node, &port);
      xml.leaf("Login", {{"originator_port_wwn", st.text(2)},
                         {"awwn_node_name", node},
                         {"awwn_port_name", port},
                         {"type", "Fibre"},
                         {"logged_in", yesNo(st.integer(3) != 0)},
                         {"on_fabric", yesNo(st.integer(4) != 0)}});
    }
    xml.close();
  }
  ctx.out = xml.finish();
}

// ---- symmaskdb ----

struct DbRecord {
  int64_t id = 0;  // 0: a registered login without a masking record
  std::string director;
  int64_t port = 0;
  std::string wwn;
};

std::vector<DbRecord> records(Context& ctx, const ArrayRow& a) {
  std::vector<DbRecord> out;
  Statement st(
      ctx.model.db(),
      "SELECT m.id, p.director, p.port, m.wwn, p.id FROM maskdb m JOIN ports p ON p.id = m.port_id "
      "WHERE p.array_id = ?1 "
      "UNION SELECT 0, p.director, p.port, h.wwn, p.id FROM logins l JOIN ports p ON p.id = "
      "l.port_id "
      "JOIN hbas h ON h.id = l.hba_id JOIN aliases al ON al.array_id = p.array_id AND al.wwn = "
      "h.wwn "
      "WHERE p.array_id = ?1 AND NOT EXISTS (SELECT 1 FROM maskdb m2 WHERE m2.port_id = p.id AND "
      "m2.wwn = h.wwn) "
      "ORDER BY 5, 4");
  st.bind(1, a.id);
  while (st.step()) out.push_back({st.integer(0), st.text(1), st.integer(2), st.text(3)});
  return out;
}

std::vector<std::pair<std::string, int64_t>> recordDevices(Context& ctx, int64_t record) {
  std::vector<std::pair<std::string, int64_t>> out;
  if (!record) return out;
  Statement st(ctx.model.db(),
               "SELECT d.name, d.megabytes FROM mask_devs md JOIN devices d ON d.id = md.device_id "
               "WHERE md.record_id = ? AND md.pending != 2 ORDER BY d.name");
  st.bind(1, record);
  while (st.step()) out.push_back({st.text(0), st.integer(1)});
  return out;
}

void listDatabase(Context& ctx) {
  ArrayRow a = ctx.array();
  XmlWriter xml;
  xml.open("Symmetrix", {{"symid", a.symid}});
  for (const DbRecord& r : records(ctx, a)) {
    std::string node, port;
    ctx.model.alias(a.id, r.wwn, &node, &port);
    std::vector<std::pair<std::string, int64_t>> devs = recordDevices(ctx, r.id);
    xml.open("Db_Record", {{"director", directorDisplay(r.director)},
                           {"port", std::to_string(r.port)},
                           {"originator_port_wwn", r.wwn},
                           {"awwn_node_name", node},
                           {"awwn_port_name", port},
                           {"devices", std::to_string(devs.size())}});
    for (const auto& d : devs) xml.leaf("Device", {{"name", d.first}});
    xml.close();
  }
  ctx.out = xml.finish();
}

void listAssignment(Context& ctx) {
  ArrayRow a = ctx.array();
  DeviceRow d = ctx.model.findDevice(a, ctx.cmd.value("-dev"));
  Statement st(
      ctx.model.db(),
      "SELECT p.director, p.port, m.wwn FROM mask_devs md JOIN maskdb m ON m.id = md.record_id "
      "JOIN ports p ON p.id = m.port_id WHERE md.device_id = ? AND md.pending != 2 ORDER BY p.id, "
      "m.wwn");
  st.bind(1, d.id);
  XmlWriter xml;
  xml.open("Symmetrix", {{"symid", a.symid}});
  int found = 0;
  while (st.step()) {
    std::string node, port;
    ctx.model.alias(a.id, st.text(2), &node, &port);
    xml.leaf("Device", {{"number", d.name},
                        {"Director", directorDisplay(st.text(0))},
                        {"Port", std::to_string(st.integer(1))},
                        {"port_wwn", st.text(2)},
                        {"awwn_node_name", node},
                        {"awwn_port_name", port}});
    ++found;
  }
  if (!found) throw CliError(kNoRecords);
  ctx.out = xml.finish();
}

void listCapacity(Context& ctx) {
  ArrayRow a = ctx.array();
  std::string host = ctx.cmd.value("-host");
  // The WWNs registered under exactly this name (names compare case-sensitively).
  std::vector<std::string> wwns;
  {
    Statement st(ctx.model.db(), "SELECT wwn FROM aliases WHERE array_id = ? ORDER BY wwn");
    st.bind(1, a.id);
    while (st.step()) wwns.push_back(st.text(0));
  }
  XmlWriter xml;
  xml.open("Symmetrix", {{"symid", a.symid}});
  int found = 0;
  for (const std::string& wwn : wwns) {
    std::string node, port;
    ctx.model.alias(a.id, wwn, &node, &port);
    if (node != host) continue;
    ++found;
    std::set<std::string> names;
    int64_t megabytes = 0;
    Statement st(
        ctx.model.db(),
        "SELECT DISTINCT d.name, d.megabytes FROM maskdb m JOIN ports p ON p.id = m.port_id "
        "JOIN mask_devs md ON md.record_id = m.id JOIN devices d ON d.id = md.device_id "
        "WHERE p.array_id = ? AND m.wwn = ? AND md.pending != 2");
    st.bind(1, a.id).bind(2, wwn);
    while (st.step())
      if (names.insert(st.text(0)).second) megabytes += st.integer(1);
    xml.open("Originator_port", {{"wwn", wwn}, {"awwn_node_name", node}, {"awwn_port_name", port}});
    xml.leaf("Capacity",
             {{"devices", std::to_string(names.size())}, {"megabytes", std::to_string(megabytes)}});
    xml.close();
  }
  if (!found) throw CliError("The supplied alias is invalid: " + host);
  ctx.out = xml.finish();
}

}  // namespace

const ToolGrammar& symmaskGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.valueOptions = {"-sid", "-wwn", "-dir", "-port"};
    t.flagOptions = {"-noprompt", "-force", "-rename"};
    std::set<std::string> target = {"-sid", "-wwn", "-dir", "-port"};
    t.commands = {
        CommandSpec{"add", {"add", "devs"}, 1, target, {}, {}, {"-noprompt", "-force"}},
        CommandSpec{"remove", {"remove", "devs"}, 1, target, {}, {}, {"-noprompt", "-force"}},
        CommandSpec{"refresh", {"refresh"}, 0, {}, {"-sid"}, {}, {"-noprompt"}},
        CommandSpec{"discover hba", {"discover", "hba"}, 0, {}, {"-sid"}, {}, {"-rename"}},
        CommandSpec{"list hba", {"list", "hba"}, 0, {}, {}, {}, {}},
        CommandSpec{"list logins", {"list", "logins"}, 0, {}, {"-sid"}, {}, {}},
    };
    t.usage =
        "usage: symmask -sid SymmID -wwn WWN -dir Dir -port Port [-noprompt] add devs SymDevs\n"
        "       symmask -sid SymmID -wwn WWN -dir Dir -port Port [-force] remove devs SymDevs\n"
        "       symmask [-sid SymmID] refresh [-noprompt]\n"
        "       symmask discover hba [-rename]\n"
        "       symmask list hba\n"
        "       symmask [-sid SymmID] list logins\n"
        "       [-output XML | XML_ATTRIBUTE]\n";
    return t;
  }();
  return g;
}

void symmaskExecute(Context& ctx) {
  const std::string& n = ctx.cmd.name;
  if (n == "add" || n == "remove")
    addOrRemove(ctx, n == "add");
  else if (n == "refresh")
    refresh(ctx);
  else if (n == "discover hba")
    discoverHba(ctx);
  else if (n == "list hba")
    listHba(ctx);
  else
    listLogins(ctx);
}

const ToolGrammar& symmaskdbGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.valueOptions = {"-sid", "-dev", "-host"};
    t.commands = {
        CommandSpec{"list database", {"list", "database"}, 0, {"-sid"}, {}, {}, {}},
        CommandSpec{"list assignment", {"list", "assignment"}, 0, {"-sid", "-dev"}, {}, {}, {}},
        CommandSpec{"list capacity", {"list", "capacity"}, 0, {"-sid", "-host"}, {}, {}, {}},
    };
    t.usage =
        "usage: symmaskdb -sid SymmID list database\n"
        "       symmaskdb -sid SymmID -dev SymDevName list assignment\n"
        "       symmaskdb -sid SymmID -host HostName list capacity\n"
        "       [-output XML | XML_ATTRIBUTE]\n";
    return t;
  }();
  return g;
}

void symmaskdbExecute(Context& ctx) {
  const std::string& n = ctx.cmd.name;
  if (n == "list database")
    listDatabase(ctx);
  else if (n == "list assignment")
    listAssignment(ctx);
  else
    listCapacity(ctx);
}

}  // namespace symsim
