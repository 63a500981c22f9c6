// symdev: device listing, device details, and making devices ready.
#include "devicereport.h"
#include "errors.h"
#include "text.h"
#include "tools.h"
#include "xmlwriter.h"

namespace symsim {

namespace {

void listDevices(Context& ctx) {
  bool verbose = ctx.cmd.has("-v");
  bool fibre = ctx.cmd.has("-fibre");
  bool noBcv = ctx.cmd.has("-nobcv");
  bool onlyBcv = ctx.cmd.has("-bcv");
  if (noBcv && onlyBcv) throw UsageError("-bcv and -nobcv exclude each other");
  std::vector<ArrayRow> arrays;
  if (!ctx.cmd.value("-sid").empty())
    arrays.push_back(ctx.array());
  else
    for (const ArrayRow& a : ctx.model.arrays())
      if (a.discovered) arrays.push_back(a);

  XmlWriter xml;
  for (const ArrayRow& a : arrays) {
    DeviceReport report(ctx.model, a, 0, true);
    xml.open("Symmetrix", {{"symid", a.symid}});
    DeviceFilter filter;
    filter.noBcv = noBcv;
    filter.onlyBcv = onlyBcv;
    filter.fibre = fibre;
    for (const DeviceRow& d : ctx.model.devices(a.id, filter)) report.write(xml, d, verbose);
    xml.close();
  }
  ctx.out = xml.finish();
}

void showDevice(Context& ctx) {
  ArrayRow a = ctx.array();
  DeviceRow d = ctx.model.findDevice(a, ctx.cmd.operands[0]);
  DeviceReport report(ctx.model, a, d.id, true);
  XmlWriter xml;
  xml.open("Symmetrix", {{"symid", a.symid}});
  report.write(xml, d, true);
  ctx.out = xml.finish();
}

void setReadiness(Context& ctx, bool ready) {
  ArrayRow a = ctx.array();
  std::string status = ready ? "Ready" : "Not Ready";
  for (const DeviceRow& d : ctx.model.findDevices(a, ctx.cmd.operands[0])) {
    ctx.model.setDeviceStatus(d.id, status);
    ctx.out += "'" + std::string(ready ? "Ready" : "Not Ready") +
               "' Device operation successfully completed for device " + d.name + ".\n";
  }
}

void makeReady(Context& ctx) { setReadiness(ctx, true); }
void makeNotReady(Context& ctx) { setReadiness(ctx, false); }

}  // namespace

const ToolGrammar& symdevGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.valueOptions = {"-sid"};
    t.flagOptions = {"-noprompt", "-fibre", "-nobcv", "-bcv", "-v"};
    t.commands = {
        CommandSpec{
            "list", {"list"}, 0, {}, {"-sid"}, {}, {"-fibre", "-nobcv", "-bcv", "-v"}, listDevices},
        CommandSpec{"show", {"show"}, 1, {"-sid"}, {}, {}, {}, showDevice},
        CommandSpec{"ready", {"ready"}, 1, {"-sid"}, {}, {}, {"-noprompt"}, makeReady},
        CommandSpec{"not_ready", {"not_ready"}, 1, {"-sid"}, {}, {}, {"-noprompt"}, makeNotReady},
    };
    t.usage =
        "usage: symdev [-sid SymmID] list [-v] [-fibre] [-nobcv | -bcv]\n"
        "       symdev -sid SymmID show SymDevName\n"
        "       symdev -sid SymmID ready|not_ready SymDevName [-noprompt]\n"
        "       [-output XML | XML_ATTRIBUTE]\n";
    return t;
  }();
  return g;
}

}  // namespace symsim
