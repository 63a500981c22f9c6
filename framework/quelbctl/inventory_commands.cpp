#include "inventory_commands.h"

#include <quelb/quelb_pgn.h>

#include "message_log.h"
#include "session.h"
#include "text_table.h"
#include "utf8.h"

namespace {

#define FILTER_HELP                                                                 \
  "  --filter TEXT   the framework's filter text: name=value items separated by\n"  \
  "                  commas, e.g. \"vendor_id=EMC,enclosure_id=000190100001\".\n"   \
  "                  Names: provider_name, vendor_id, product_id, enclosure_id,\n"  \
  "                  enclosure_name, udid (nodes only). The provider warns about\n" \
  "                  a name it does not know and a value that matches nothing;\n"   \
  "                  an item without one \"=\" and both sides is refused.\n"

// The filter as the entry points take it: null when none was given.
wchar_t* filterText(const CommandArguments& parsed, std::wstring& filter) {
  if (!parsed.has("--filter")) return nullptr;
  filter = boundedtext::utf8ToWide(parsed.options.at("--filter"));
  return &filter[0];
}

// The count as a note (-v), the table in text mode; 0 or 1 by the result.
int finish(Session& session, int rc, int count, const char* singular, const char* plural,
           const TextTable& table) {
  if (!session.json()) table.print(stdout);
  session.note(countOf(count, singular, plural));
  return rc == 0 ? 0 : 1;
}

// Each listing fills either its table (text mode) or its JSON array, not
// both: a listing of tens of thousands of devices is made once, in the form
// printed.

int runEnclosures(Session& session, const CommandArguments& parsed) {
  std::wstring filter;
  qlb_enclosure_node_list* list = nullptr;
  int count = 0;
  const int rc = session.call("enumerate_enclosures", [&] {
    return session.pgn().enumerate_enclosures(&list, &count, filterText(parsed, filter));
  });
  TextTable table({"ID", "NAME", "VENDOR", "PRODUCT", "PROVIDER", "AVAILABLE", "TOTAL"});
  JsonValue* items =
      session.json() ? &session.result().set("enclosures", JsonValue::array()) : nullptr;
  for (const qlb_enclosure_node_list* e = list; e; e = e->el_next) {
    if (!items) {
      table.add({narrow(e->el_id), narrow(e->el_name), narrow(e->el_vendor), narrow(e->el_product),
                 narrow(e->el_provider_name), formatBytes(e->el_available, session.human()),
                 formatBytes(e->el_total, session.human())});
      continue;
    }
    JsonValue& item = items->push(JsonValue::object());
    item.set("id", narrow(e->el_id));
    item.set("name", narrow(e->el_name));
    item.set("vendor", narrow(e->el_vendor));
    item.set("product", narrow(e->el_product));
    item.set("provider", narrow(e->el_provider_name));
    item.set("available_bytes", e->el_available);
    item.set("total_bytes", e->el_total);
  }
  quelb_free_enclosure_list(list);
  return finish(session, rc, count, "enclosure", "enclosures", table);
}

int runNodes(Session& session, const CommandArguments& parsed) {
  std::wstring filter;
  qlb_node_list* list = nullptr;
  int count = 0;
  const int flags = static_cast<int>(parsed.flags(0));
  const int rc = session.call("enumerate_nodes", [&] {
    return session.pgn().enumerate_nodes(&list, &count, flags, filterText(parsed, filter));
  });
  TextTable table({"NAME", "UDID", "SIZE", "PROVIDER"});
  JsonValue* items = session.json() ? &session.result().set("nodes", JsonValue::array()) : nullptr;
  for (const qlb_node_list* n = list; n; n = n->nl_next) {
    std::string id = narrow(n->nl_objid ? n->nl_objid->qid_text : nullptr);
    if (!items) {
      table.add({narrow(n->nl_name), id, formatBytes(n->nl_attr.na_size, session.human()),
                 narrow(n->nl_text)});
      continue;
    }
    JsonValue& item = items->push(JsonValue::object());
    item.set("name", narrow(n->nl_name));
    item.set("udid", std::move(id));
    item.set("size_bytes", n->nl_attr.na_size);
    item.set("provider", narrow(n->nl_text));
  }
  quelb_free_node_list(list);
  return finish(session, rc, count, "node", "nodes", table);
}

int runHosts(Session& session, const CommandArguments& parsed) {
  std::wstring filter;
  qlb_host_node_list* list = nullptr;
  int count = 0;
  const int rc = session.call("enumerate_host_nodes", [&] {
    return session.pgn().enumerate_host_nodes(&list, &count, filterText(parsed, filter));
  });
  TextTable table({"HOST", "ARRAY", "PORTS"});
  JsonValue* items = session.json() ? &session.result().set("hosts", JsonValue::array()) : nullptr;
  for (const qlb_host_node_list* h = list; h; h = h->hl_next) {
    if (!items) {
      std::string ports;
      for (int32_t i = 0; i < h->hl_port_count; ++i)
        ports += (i ? "," : "") + narrow(h->hl_ports[i]);
      table.add({narrow(h->hl_host_name), narrow(h->hl_text), ports});
      continue;
    }
    JsonValue& item = items->push(JsonValue::object());
    item.set("name", narrow(h->hl_host_name));
    item.set("array", narrow(h->hl_text));
    JsonValue& portList = item.set("ports", JsonValue::array());
    for (int32_t i = 0; i < h->hl_port_count; ++i) portList.push(narrow(h->hl_ports[i]));
  }
  quelb_free_host_node_list(list);
  return finish(session, rc, count, "host", "hosts", table);
}

typedef int (*InventoryRun)(Session&, const CommandArguments&);

// Whether every item of a filter text is NAME=VALUE with one "=" and both
// sides given. The provider skips an item without "=" and stops reading at
// one with two, so a slip would silently widen the listing.
bool checkFilter(const char* command, const CommandArguments& parsed) {
  if (!parsed.has("--filter")) return true;
  const std::string& text = parsed.options.at("--filter");
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(",\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(start, end - start);
    const auto blank = [](const std::string& s) {
      return s.find_first_not_of(" \t") == std::string::npos;
    };
    std::string name, value;
    const bool named = splitAtEquals(item, name, value) && !blank(name) && !blank(value);
    if (!blank(item) && !named) {
      usageError(command, "--filter takes NAME=VALUE items separated by commas, not " + item);
      return false;
    }
    start = end + 1;
  }
  return true;
}

// Reads the options of an inventory command (no words) and binds them to `run`.
CommandAction prepareInventory(const char* command, const std::vector<std::string>& arguments,
                               std::initializer_list<const char*> options, InventoryRun run) {
  CommandArguments parsed;
  if (!parsed.parse(command, arguments, options, false) || !checkFilter(command, parsed))
    return nullptr;
  return [parsed, run](Session& session) { return run(session, parsed); };
}

CommandAction prepareEnclosures(const std::vector<std::string>& arguments) {
  return prepareInventory("enclosures", arguments, {"--filter"}, &runEnclosures);
}

CommandAction prepareNodes(const std::vector<std::string>& arguments) {
  return prepareInventory("nodes", arguments, {"--filter", "--flags"}, &runNodes);
}

CommandAction prepareHosts(const std::vector<std::string>& arguments) {
  return prepareInventory("hosts", arguments, {"--filter"}, &runHosts);
}

const char kEnclosuresHelp[] =
    "Lists the arrays the provider manages: id, name, vendor, product, and their\n"
    "available and total storage (bytes; -H for binary units).\n\n" FILTER_HELP
    "\nJSON: result.enclosures[] with id, name, vendor, product, provider,\n"
    "available_bytes, total_bytes.\n";
const char kNodesHelp[] =
    "Lists the devices of the arrays: name, device identity (UDID), size.\n\n"
    "  --flags N       the framework's flags word (decimal or 0x hex, default 0):\n"
    "                  0x10 devices, 0x40 leave out marked devices, 0x80 leave out\n"
    "                  unmarked ones. Other kinds of node are not this provider's.\n" FILTER_HELP
    "\nJSON: result.nodes[] with name, udid, size_bytes, provider.\n";
const char kHostsHelp[] =
    "Lists the hosts the arrays see, with the WWNs of their ports.\n\n" FILTER_HELP
    "\nJSON: result.hosts[] with name, array, ports[].\n";

}  // namespace

const CommandSpec kEnclosuresCommand = {"enclosures", "enclosures [--filter TEXT]",
                                        "the arrays the provider manages", kEnclosuresHelp,
                                        &prepareEnclosures};
const CommandSpec kNodesCommand = {"nodes", "nodes [--flags N] [--filter TEXT]",
                                   "the devices of the arrays", kNodesHelp, &prepareNodes};
const CommandSpec kHostsCommand = {"hosts", "hosts [--filter TEXT]",
                                   "the hosts the arrays see, with their port WWNs", kHostsHelp,
                                   &prepareHosts};
