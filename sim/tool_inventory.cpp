// symcfg, symdisk and symcli: arrays, connections, locks, disks and the
// SYMCLI version.
#include "errors.h"
#include "schema.h"
#include "text.h"
#include "tools.h"
#include "xmlwriter.h"

namespace symsim {

namespace {

std::vector<ArrayRow> selectedArrays(Context& ctx) {
  if (!ctx.cmd.value("-sid").empty()) return {ctx.array()};
  std::vector<ArrayRow> out;
  for (const ArrayRow& a : ctx.model.arrays())
    if (a.discovered) out.push_back(a);
  return out;
}

int64_t count(Database& db, const char* sql, int64_t id) {
  Statement st(db, sql);
  st.bind(1, id);
  return st.step() ? st.integer(0) : 0;
}

void listArrays(Context& ctx) {
  XmlWriter xml;
  for (const ArrayRow& a : selectedArrays(ctx)) {
    xml.leaf("Symmetrix",
             {{"id", a.symid},
              {"attachment", a.local ? "Local" : "Remote"},
              {"model", a.model},
              {"microcode_version", a.microcode},
              {"cache_megabytes", std::to_string(a.cacheMb)},
              {"physical_devices",
               std::to_string(
                   count(ctx.model.db(), "SELECT count(*) FROM disks WHERE array_id = ?", a.id))},
              {"devices",
               std::to_string(count(ctx.model.db(),
                                    "SELECT count(*) FROM devices WHERE array_id = ?", a.id))}});
  }
  ctx.out = xml.finish();
}

void listConnections(Context& ctx) {
  ArrayRow a = ctx.array();
  XmlWriter xml;
  xml.open("Symmetrix", {{"symid", a.symid}});
  Statement st(
      ctx.model.db(),
      "SELECT h.host_id, h.wwn, p.director, p.port FROM logins l JOIN ports p ON p.id = l.port_id "
      "JOIN hbas h ON h.id = l.hba_id WHERE p.array_id = ? ORDER BY h.host_id, h.id, p.id");
  st.bind(1, a.id);
  int64_t current = -1;
  while (st.step()) {
    int64_t hostId = st.integer(0);
    if (hostId != current) {
      if (current != -1) xml.close();
      current = hostId;
      HostRow h = ctx.model.hostById(hostId);
      xml.open(
          "Host",
          {{"name", h.name}, {"address", h.address}, {"node_name", ctx.model.registeredName(h)}});
    }
    xml.leaf("Connection", {{"director", directorDisplay(st.text(2))},
                            {"port", std::to_string(st.integer(3))},
                            {"hba_wwn", st.text(1)}});
  }
  ctx.out = xml.finish();
}

void listLocks(Context& ctx) {
  XmlWriter xml;
  for (const ArrayRow& a : selectedArrays(ctx)) {
    xml.open("Symmetrix", {{"symid", a.symid}});
    Statement st(ctx.model.db(),
                 "SELECT number, holder FROM locks WHERE array_id = ? ORDER BY number");
    st.bind(1, a.id);
    while (st.step())
      xml.leaf("Lock", {{"number", std::to_string(st.integer(0))},
                        {"status", "Locked"},
                        {"holder", st.text(1)}});
    xml.close();
  }
  ctx.out = xml.finish();
}

void releaseLock(Context& ctx) {
  ArrayRow a = ctx.array();
  uint64_t n = 0;
  std::string text = ctx.cmd.value("-lockn");
  if (!parseUnsigned(text, &n) || n > 15) throw UsageError("Invalid lock number: " + text);
  Statement st(ctx.model.db(), "DELETE FROM locks WHERE array_id = ? AND number = ?");
  st.bind(1, a.id).bind(2, static_cast<int64_t>(n)).run();
  if (ctx.model.db().changes() == 0)
    throw CliError("Lock number " + text + " is not held on Symmetrix " + a.symid);
  ctx.out = "The lock (number " + text + ") on Symmetrix " + a.symid + " was released.\n";
}

void discover(Context& ctx) {
  if (!ctx.cmd.value("-sid").empty()) {
    ArrayRow a = ctx.array();
    Statement st(ctx.model.db(), "UPDATE arrays SET discovered = 1 WHERE id = ?");
    st.bind(1, a.id).run();
  } else {
    ctx.model.db().exec("UPDATE arrays SET discovered = 1");
  }
  ctx.out = "This operation may take up to a few minutes. Please be patient...\n";
}

}  // namespace

const ToolGrammar& symcfgGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.valueOptions = {"-sid", "-lockn"};
    t.flagOptions = {"-noprompt", "-connections", "-sorthost", "-lock", "-v"};
    CommandSpec locks{"lock list", {"list"}, 0, {}, {"-sid"}, {"-lock"}, {}};
    CommandSpec connections{"connections",    {"list"},     0, {"-sid"}, {},
                            {"-connections"}, {"-sorthost"}};
    CommandSpec list{"list", {"list"}, 0, {}, {"-sid"}, {}, {"-v"}};
    CommandSpec release{"release", {"release"}, 0, {"-sid", "-lockn"}, {}, {}, {"-noprompt"}};
    CommandSpec disc{"discover", {"discover"}, 0, {}, {"-sid"}, {}, {"-noprompt"}};
    t.commands = {locks, connections, list, release, disc};
    t.usage =
        "usage: symcfg [-sid SymmID] list [-v]\n"
        "       symcfg -sid SymmID list -connections [-sorthost]\n"
        "       symcfg [-sid SymmID] -lock list\n"
        "       symcfg -sid SymmID [-noprompt] -lockn <#> release\n"
        "       symcfg [-sid SymmID] discover\n"
        "       [-output XML | XML_ATTRIBUTE]\n";
    return t;
  }();
  return g;
}

bool symcfgBlocked(const ParsedCommand& cmd) {
  return cmd.name != "lock list" && cmd.name != "release";
}

void symcfgExecute(Context& ctx) {
  const std::string& n = ctx.cmd.name;
  if (n == "list")
    listArrays(ctx);
  else if (n == "connections")
    listConnections(ctx);
  else if (n == "lock list")
    listLocks(ctx);
  else if (n == "release")
    releaseLock(ctx);
  else
    discover(ctx);
}

const ToolGrammar& symdiskGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.valueOptions = {"-sid"};
    t.commands = {CommandSpec{"list", {"list"}, 0, {}, {"-sid"}, {}, {}}};
    t.usage = "usage: symdisk [-sid SymmID] list [-output XML | XML_ATTRIBUTE]\n";
    return t;
  }();
  return g;
}

void symdiskExecute(Context& ctx) {
  XmlWriter xml;
  for (const ArrayRow& a : selectedArrays(ctx)) {
    xml.open("Symmetrix", {{"symid", a.symid}});
    Statement st(ctx.model.db(),
                 "SELECT ident, megabytes, avail_mb FROM disks WHERE array_id = ? ORDER BY id");
    st.bind(1, a.id);
    int index = 0;
    while (st.step()) {
      xml.leaf("Disk", {{"ident", st.text(0)},
                        {"interface", "C"},
                        {"tid", std::to_string(index++ % 16)},
                        {"vendor", "SIMDISK"},
                        {"megabytes", std::to_string(st.integer(1))},
                        {"avail_megabytes", std::to_string(st.integer(2))}});
    }
    xml.close();
  }
  ctx.out = xml.finish();
}

const ToolGrammar& symcliGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.commands = {CommandSpec{"version", {}, 0, {}, {}, {}, {}}};
    t.usage = "usage: symcli [-output XML | XML_ATTRIBUTE]\n";
    return t;
  }();
  return g;
}

void symcliExecute(Context& ctx) {
  std::string version = getSetting(ctx.model.db(), setting::kVersion, "V7.0.0.0");
  if (ctx.cmd.output.empty()) {
    ctx.out = "\nSymmetrix Command Line Interface (SYMCLI) Version " + version + " (simulated)\n";
    return;
  }
  // The version is both an attribute and the text of a <version> element,
  // so that readers of either form find it.
  XmlWriter xml;
  xml.open("SYMCLI", {{"version", version}});
  xml.textElement("version", version);
  ctx.out = xml.finish();
}

}  // namespace symsim
