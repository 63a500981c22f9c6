#include "info_command.h"

#include <quelb/quelb_pgn.h>

#include "message_log.h"
#include "session.h"
#include "text_table.h"

namespace {

std::string dotted(const uint16_t version[4]) {
  return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
         std::to_string(version[2]) + "." + std::to_string(version[3]);
}

void showProviders(Session& session, const qlb_provider_list* list) {
  JsonValue& providers = session.result().set("providers", JsonValue::array());
  for (const qlb_provider_list* p = list; p; p = p->pl_next) {
    JsonValue item = JsonValue::object();
    item.set("name", narrow(p->pl_provider_name));
    item.set("interface", dotted(p->pl_version));
    JsonValue& values = item.set("values", JsonValue::array());
    values.push(static_cast<long>(p->pl_value1));
    values.push(static_cast<long>(p->pl_value2));
    JsonValue& patterns = item.set("claim_patterns", JsonValue::array());
    session.print("provider " + narrow(p->pl_provider_name) + "  interface " +
                  dotted(p->pl_version));
    for (wchar_t** c = p->pl_claim_patterns; c && *c; ++c) {
      patterns.push(narrow(*c));
      session.print("  claims the devices whose identity holds " + narrow(*c));
    }
    providers.push(item);
  }
}

void showMethods(Session& session, const qlb_fim_list* list) {
  JsonValue& methods = session.result().set("snapshot_methods", JsonValue::array());
  TextTable table({"SNAPSHOT METHOD", "VERSION"});
  for (const qlb_fim_list* f = list; f; f = f->fl_next) {
    JsonValue item = JsonValue::object();
    item.set("name", narrow(f->fl_name));
    item.set("version", narrow(f->fl_version));
    JsonValue& values = item.set("values", JsonValue::array());
    for (int i = 0; i < 6; ++i) values.push(f->fl_value[i]);
    methods.push(item);
    table.add({narrow(f->fl_name), narrow(f->fl_version)});
  }
  if (!session.json()) table.print(stdout);
}

int runInfo(Session& session) {
  int status = 0;
  qlb_provider_list* providers = nullptr;
  if (session.call("get_provider_info",
                   [&] { return session.pgn().get_provider_info(&providers); }) != 0)
    status = 1;
  showProviders(session, providers);
  quelb_free_provider_list(providers);

  qlb_fim_list* fims = nullptr;
  if (session.call("enumerate_fims", [&] { return session.pgn().enumerate_fims(&fims); }) != 0)
    status = 1;
  showMethods(session, fims);
  quelb_free_fim_list(fims);
  return status;
}

CommandAction prepareInfo(const std::vector<std::string>& arguments) {
  CommandArguments parsed;
  if (!parsed.parse("info", arguments, {}, false)) return nullptr;
  return &runInfo;
}

const char kInfoHelp[] =
    "Shows the provider's description (name, interface version, which devices it\n"
    "claims) and its snapshot methods. Runs no SYMCLI command: a quick check that\n"
    "the installation, the registry and the configuration can be used.\n\n"
    "JSON: result with providers[] (name, interface, values[], claim_patterns[])\n"
    "and snapshot_methods[] (name, version, values[]).\n";

}  // namespace

const CommandSpec kInfoCommand = {"info", "info", "the provider and its snapshot methods (default)",
                                  kInfoHelp, &prepareInfo};
