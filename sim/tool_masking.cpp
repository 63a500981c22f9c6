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

bool wwnKnown(Context& ctx, const ArrayRow& array, const std::string& wwn) {
  HbaRow hba;
  return ctx.model.hbaByWwn(wwn, &hba) || ctx.model.hasAlias(array.id, wwn);
}

void changeMasking(Context& ctx, bool add) {
  ArrayRow array = ctx.array();
  std::string wwn = canonicalWwn(ctx.cmd.value("-wwn"));
  PortRow port = ctx.model.findPort(array, ctx.cmd.value("-dir"), ctx.cmd.value("-port"));
  std::string where = directorDisplay(port.director) + ":" + std::to_string(port.port);
  if (!wwnKnown(ctx, array, wwn))
    throw CliError("The WWN " + wwn + " is not known to Symmetrix " + array.symid);
  std::vector<DeviceRow> devices = ctx.model.findDevices(array, ctx.cmd.operands[0]);
  Model& model = ctx.model;
  int64_t record = model.maskRecord(port.id, wwn, add);
  for (const DeviceRow& d : devices) {
    bool mapped = false;
    for (const PortRow& p : model.devicePorts(d.id)) mapped = mapped || p.id == port.id;
    if (add && !mapped)
      throw CliError("Device " + d.name + " is not mapped to director port " + where);
    int64_t state = record ? model.maskState(record, d.id) : Model::kNotMasked;
    if (add) {
      if (state == Model::kNotMasked) model.setMaskState(record, d.id, Model::kAdded);
      if (state == Model::kRemoved) model.setMaskState(record, d.id, Model::kApplied);
    } else {
      if (state == Model::kNotMasked || state == Model::kRemoved)
        throw CliError("Device " + d.name + " is not assigned to WWN " + wwn +
                       " on director port " + where);
      // Added since the last refresh: gone at once; applied: removed at the next.
      model.setMaskState(record, d.id,
                         state == Model::kAdded ? Model::kNotMasked : Model::kRemoved);
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
  for (const ArrayRow& a : arraysOf(ctx)) {
    ctx.model.applyMasking(a.id);
    ctx.out += "Symmetrix FA directors updated with contents of SymMask Database " + a.symid + "\n";
  }
}

void addDevices(Context& ctx) { changeMasking(ctx, true); }
void removeDevices(Context& ctx) { changeMasking(ctx, false); }

// Local HBAs that log in to `array`, each with its login ports.
std::vector<HbaRow> localHbasOn(Context& ctx, const ArrayRow& array) {
  std::vector<HbaRow> out;
  HostRow local = ctx.model.localHost();
  for (const HbaRow& h : ctx.model.hbas(local.id))
    if (ctx.model.logsIn(h.id, array.id)) out.push_back(h);
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
      ctx.model.registerAlias(a.id, h.wwn, rename);
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
    for (const LoginRow& login : ctx.model.loginsOfHba(h.id))
      xml.leaf("Port", {{"symid", login.symid},
                        {"director", directorShort(login.director)},
                        {"port", std::to_string(login.port)}});
    xml.close();
  }
  ctx.out = xml.finish();
}

void listLogins(Context& ctx) {
  XmlWriter xml;
  for (const ArrayRow& a : arraysOf(ctx)) {
    xml.open("Symmetrix", {{"symid", a.symid}});
    std::string current;
    for (const LoginRow& login : ctx.model.loginsByPort(a.id)) {
      std::string where = login.director + ":" + std::to_string(login.port);
      if (where != current) {
        if (!current.empty()) xml.close();
        current = where;
        xml.open("Devmask_Login_Record", {{"director", directorDisplay(login.director)},
                                          {"port", std::to_string(login.port)}});
      }
      std::string node, port;
      ctx.model.alias(a.id, login.wwn, &node, &port);
      xml.leaf("Login", {{"originator_port_wwn", login.wwn},
                         {"awwn_node_name", node},
                         {"awwn_port_name", port},
                         {"type", "Fibre"},
                         {"logged_in", yesNo(login.loggedIn)},
                         {"on_fabric", yesNo(login.onFabric)}});
    }
    xml.close();
  }
  ctx.out = xml.finish();
}

// ---- symmaskdb ----

void listDatabase(Context& ctx) {
  ArrayRow a = ctx.array();
  XmlWriter xml;
  xml.open("Symmetrix", {{"symid", a.symid}});
  for (const MaskRecordRow& r : ctx.model.maskRecords(a.id, true)) {
    std::string node, port;
    ctx.model.alias(a.id, r.wwn, &node, &port);
    std::vector<MaskedDevice> devs;
    if (r.id) devs = ctx.model.maskedDevices(r.id, false);
    xml.open("Db_Record", {{"director", directorDisplay(r.director)},
                           {"port", std::to_string(r.port)},
                           {"originator_port_wwn", r.wwn},
                           {"awwn_node_name", node},
                           {"awwn_port_name", port},
                           {"devices", std::to_string(devs.size())}});
    for (const MaskedDevice& d : devs) xml.leaf("Device", {{"name", d.name}});
    xml.close();
  }
  ctx.out = xml.finish();
}

void listAssignment(Context& ctx) {
  ArrayRow a = ctx.array();
  DeviceRow d = ctx.model.findDevice(a, ctx.cmd.value("-dev"));
  XmlWriter xml;
  xml.open("Symmetrix", {{"symid", a.symid}});
  int found = 0;
  for (const MaskRecordRow& r : ctx.model.assignmentsOf(d.id)) {
    std::string node, port;
    ctx.model.alias(a.id, r.wwn, &node, &port);
    xml.leaf("Device", {{"number", d.name},
                        {"Director", directorDisplay(r.director)},
                        {"Port", std::to_string(r.port)},
                        {"port_wwn", r.wwn},
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
  std::vector<std::string> wwns = ctx.model.aliasWwns(a.id);
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
    for (const MaskedDevice& d : ctx.model.devicesMaskedTo(a.id, wwn))
      if (names.insert(d.name).second) megabytes += d.megabytes;
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
        CommandSpec{"add", {"add", "devs"}, 1, target, {}, {}, {"-noprompt", "-force"}, addDevices},
        CommandSpec{"remove",
                    {"remove", "devs"},
                    1,
                    target,
                    {},
                    {},
                    {"-noprompt", "-force"},
                    removeDevices},
        CommandSpec{"refresh", {"refresh"}, 0, {}, {"-sid"}, {}, {"-noprompt"}, refresh},
        CommandSpec{
            "discover hba", {"discover", "hba"}, 0, {}, {"-sid"}, {}, {"-rename"}, discoverHba},
        CommandSpec{"list hba", {"list", "hba"}, 0, {}, {}, {}, {}, listHba},
        CommandSpec{"list logins", {"list", "logins"}, 0, {}, {"-sid"}, {}, {}, listLogins},
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

const ToolGrammar& symmaskdbGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.valueOptions = {"-sid", "-dev", "-host"};
    t.commands = {
        CommandSpec{"list database", {"list", "database"}, 0, {"-sid"}, {}, {}, {}, listDatabase},
        CommandSpec{"list assignment",
                    {"list", "assignment"},
                    0,
                    {"-sid", "-dev"},
                    {},
                    {},
                    {},
                    listAssignment},
        CommandSpec{
            "list capacity", {"list", "capacity"}, 0, {"-sid", "-host"}, {}, {}, {}, listCapacity},
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

}  // namespace symsim
