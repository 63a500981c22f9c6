// symcfg, symdisk and symcli: arrays, connections, locks, disks and the
// SYMCLI version.
#include "errors.h"
#include "model_schema.h"
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

void listArrays(Context& ctx) {
  XmlWriter xml;
  for (const ArrayRow& a : selectedArrays(ctx)) {
    xml.leaf("Symmetrix", {{"id", a.symid},
                           {"attachment", a.local ? "Local" : "Remote"},
                           {"model", a.model},
                           {"microcode_version", a.microcode},
                           {"cache_megabytes", std::to_string(a.cacheMb)},
                           {"physical_devices", std::to_string(ctx.model.disks(a.id).size())},
                           {"devices", std::to_string(ctx.model.deviceCount(a.id))}});
  }
  ctx.out = xml.finish();
}

void listConnections(Context& ctx) {
  ArrayRow a = ctx.array();
  XmlWriter xml;
  xml.open("Symmetrix", {{"symid", a.symid}});
  int64_t current = -1;
  for (const LoginRow& login : ctx.model.loginsByHost(a.id)) {
    if (login.hostId != current) {
      if (current != -1) xml.close();
      current = login.hostId;
      HostRow h = ctx.model.hostById(login.hostId);
      xml.open(
          "Host",
          {{"name", h.name}, {"address", h.address}, {"node_name", ctx.model.registeredName(h)}});
    }
    xml.leaf("Connection", {{"director", directorDisplay(login.director)},
                            {"port", std::to_string(login.port)},
                            {"hba_wwn", login.wwn}});
  }
  ctx.out = xml.finish();
}

void listLocks(Context& ctx) {
  XmlWriter xml;
  for (const ArrayRow& a : selectedArrays(ctx)) {
    xml.open("Symmetrix", {{"symid", a.symid}});
    for (const LockRow& lock : ctx.model.locks(a.id))
      xml.leaf(
          "Lock",
          {{"number", std::to_string(lock.number)}, {"status", "Locked"}, {"holder", lock.holder}});
    xml.close();
  }
  ctx.out = xml.finish();
}

void releaseLock(Context& ctx) {
  ArrayRow a = ctx.array();
  uint64_t n = 0;
  std::string text = ctx.cmd.value("-lockn");
  if (!parseUnsigned(text, &n) || n > 15) throw UsageError("Invalid lock number: " + text);
  if (!ctx.model.releaseLock(a.id, static_cast<int64_t>(n)))
    throw CliError("Lock number " + text + " is not held on Symmetrix " + a.symid);
  ctx.out = "The lock (number " + text + ") on Symmetrix " + a.symid + " was released.\n";
}

void discover(Context& ctx) {
  ctx.model.markDiscovered(ctx.cmd.value("-sid").empty() ? 0 : ctx.array().id);
  ctx.out = "This operation may take up to a few minutes. Please be patient...\n";
}

void listDisks(Context& ctx) {
  XmlWriter xml;
  for (const ArrayRow& a : selectedArrays(ctx)) {
    xml.open("Symmetrix", {{"symid", a.symid}});
    int index = 0;
    for (const DiskRow& disk : ctx.model.disks(a.id)) {
      xml.leaf("Disk", {{"ident", disk.ident},
                        {"interface", "C"},
                        {"tid", std::to_string(index++ % 16)},
                        {"vendor", "SIMDISK"},
                        {"megabytes", std::to_string(disk.megabytes)},
                        {"avail_megabytes", std::to_string(disk.availMb)}});
    }
    xml.close();
  }
  ctx.out = xml.finish();
}

void printVersion(Context& ctx) {
  std::string version = ctx.model.setting(setting::kVersion, "V7.0.0.0");
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

}  // namespace

const ToolGrammar& symcfgGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.valueOptions = {"-sid", "-lockn"};
    t.flagOptions = {"-noprompt", "-connections", "-sorthost", "-lock", "-v"};
    // The lock commands must work while a lock is held.
    t.commands = {
        CommandSpec{"lock list", {"list"}, 0, {}, {"-sid"}, {"-lock"}, {}, listLocks, false},
        CommandSpec{"connections",
                    {"list"},
                    0,
                    {"-sid"},
                    {},
                    {"-connections"},
                    {"-sorthost"},
                    listConnections},
        CommandSpec{"list", {"list"}, 0, {}, {"-sid"}, {}, {"-v"}, listArrays},
        CommandSpec{"release",
                    {"release"},
                    0,
                    {"-sid", "-lockn"},
                    {},
                    {},
                    {"-noprompt"},
                    releaseLock,
                    false},
        CommandSpec{"discover", {"discover"}, 0, {}, {"-sid"}, {}, {"-noprompt"}, discover},
    };
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

const ToolGrammar& symdiskGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.valueOptions = {"-sid"};
    t.commands = {CommandSpec{"list", {"list"}, 0, {}, {"-sid"}, {}, {}, listDisks}};
    t.usage = "usage: symdisk [-sid SymmID] list [-output XML | XML_ATTRIBUTE]\n";
    return t;
  }();
  return g;
}

const ToolGrammar& symcliGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.commands = {CommandSpec{"version", {}, 0, {}, {}, {}, {}, printVersion, false}};
    t.usage = "usage: symcli [-output XML | XML_ATTRIBUTE]\n";
    return t;
  }();
  return g;
}

}  // namespace symsim
