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
    std::string sql =
        "SELECT id, array_id, name, type, megabytes, pd_name, ld_name, dgroup, status, "
        "attached_bcv FROM devices d "
        "WHERE array_id = ?";
    if (noBcv) sql += " AND type != 'bcv'";
    if (onlyBcv) sql += " AND type = 'bcv'";
    if (fibre) sql += " AND EXISTS (SELECT 1 FROM device_ports dp WHERE dp.device_id = d.id)";
    sql += " ORDER BY name";
    Statement st(ctx.model.db(), sql.c_str());
    st.bind(1, a.id);
    while (st.step()) {
      DeviceRow d{st.integer(0), st.integer(1), st.text(2), st.text(3), st.integer(4),
                  st.text(5),    st.text(6),    st.text(7), st.text(8), st.text(9)};
      report.write(xml, d, verbose);
    }
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

void setReady(Context& ctx, bool ready) {
  ArrayRow a = ctx.array();
  std::string status = ready ? "Ready" : "Not Ready";
  for (const DeviceRow& d : ctx.model.findDevices(a, ctx.cmd.operands[0])) {
    Statement st(ctx.model.db(), "UPDATE devices SET status = ? WHERE id = ?");
    st.bind(1, status).bind(2, d.id).run();
    ctx.out += "'" + std::string(ready ? "Ready" : "Not Ready") +
               "' Device operation successfully completed for device " + d.name + ".\n";
  }
}

}  // namespace

const ToolGrammar& symdevGrammar() {
  static const ToolGrammar g = [] {
    ToolGrammar t;
    t.valueOptions = {"-sid"};
    t.flagOptions = {"-noprompt", "-fibre", "-nobcv", "-bcv", "-v"};
    t.commands = {
        CommandSpec{"list", {"list"}, 0, {}, {"-sid"}, {}, {"-fibre", "-nobcv", "-bcv", "-v"}},
        CommandSpec{"show", {"show"}, 1, {"-sid"}, {}, {}, {}},
        CommandSpec{"ready", {"ready"}, 1, {"-sid"}, {}, {}, {"-noprompt"}},
        CommandSpec{"not_ready", {"not_ready"}, 1, {"-sid"}, {}, {}, {"-noprompt"}},
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

void symdevExecute(Context& ctx) {
  const std::string& n = ctx.cmd.name;
  if (n == "list")
    listDevices(ctx);
  else if (n == "show")
    showDevice(ctx);
  else
    setReady(ctx, n == "ready");
}

}  // namespace symsim
