#include "inventory_commands.h"

#include <cinttypes>
#include <cstdio>

#include "report.h"
#include "utf8.h"

const char* const kInventoryUsage =
    "  enclosures [--filter TEXT]\n"
    "                       the arrays the provider manages\n"
    "  nodes [--flags N] [--filter TEXT]\n"
    "                       their devices; N is the flags word (decimal or 0x..)\n"
    "  hosts [--filter TEXT]\n"
    "                       the hosts the arrays see, with their port WWNs\n"
    "  TEXT is the framework's filter text: name=value items separated by\n"
    "  commas, e.g. \"vendor_id=EMC,enclosure_id=000190100001\"\n";

namespace {

// The filter as the entry points take it: null when none was given.
wchar_t* filterText(const CommandArguments& parsed, std::wstring& filter) {
  if (!parsed.has("--filter")) return nullptr;
  filter = boundedtext::utf8ToWide(parsed.options.at("--filter"));
  return &filter[0];
}

int finish(const qlb_pgn_table& pgn, const char* operation, int rc, int count, const char* what) {
  std::printf("%d %s\n", count, what);
  // The list before what follows on standard error (failure, last error).
  std::fflush(stdout);
  if (rc == 0) return 0;
  reportFailure(pgn, operation, rc);
  return 1;
}

int runEnclosures(const qlb_pgn_table& pgn, const CommandArguments& parsed) {
  std::wstring filter;
  qlb_enclosure_node_list* list = nullptr;
  int count = 0;
  const int rc = pgn.enumerate_enclosures(&list, &count, filterText(parsed, filter));
  for (const qlb_enclosure_node_list* e = list; e; e = e->el_next) {
    std::printf("enclosure %s  name %s  %s %s  provider %s  available %" PRIu64
                " bytes  total %" PRIu64 " bytes\n",
                narrow(e->el_id).c_str(), narrow(e->el_name).c_str(), narrow(e->el_vendor).c_str(),
                narrow(e->el_product).c_str(), narrow(e->el_provider_name).c_str(), e->el_available,
                e->el_total);
  }
  quelb_free_enclosure_list(list);
  return finish(pgn, "enumerate_enclosures", rc, count, "enclosures");
}

int runNodes(const qlb_pgn_table& pgn, const CommandArguments& parsed) {
  std::wstring filter;
  qlb_node_list* list = nullptr;
  int count = 0;
  const int rc = pgn.enumerate_nodes(&list, &count, static_cast<int>(parsed.flags(0)),
                                     filterText(parsed, filter));
  for (const qlb_node_list* n = list; n; n = n->nl_next) {
    std::printf("node %s  id %s  size %" PRIu64 " bytes  provider %s\n", narrow(n->nl_name).c_str(),
                narrow(n->nl_objid ? n->nl_objid->qid_text : nullptr).c_str(), n->nl_attr.na_size,
                narrow(n->nl_text).c_str());
  }
  quelb_free_node_list(list);
  return finish(pgn, "enumerate_nodes", rc, count, "nodes");
}

int runHosts(const qlb_pgn_table& pgn, const CommandArguments& parsed) {
  std::wstring filter;
  qlb_host_node_list* list = nullptr;
  int count = 0;
  const int rc = pgn.enumerate_host_nodes(&list, &count, filterText(parsed, filter));
  for (const qlb_host_node_list* h = list; h; h = h->hl_next) {
    std::printf("host %s  array %s  ports", narrow(h->hl_host_name).c_str(),
                narrow(h->hl_text).c_str());
    for (int32_t i = 0; i < h->hl_port_count; ++i)
      std::printf(" %s", narrow(h->hl_ports[i]).c_str());
    std::printf("\n");
  }
  quelb_free_host_node_list(list);
  return finish(pgn, "enumerate_host_nodes", rc, count, "hosts");
}

typedef int (*InventoryRun)(const qlb_pgn_table&, const CommandArguments&);

// Reads the options of an inventory command (no words) and binds them to `run`.
CommandAction prepareInventory(const char* command, const std::vector<std::string>& arguments,
                               std::initializer_list<const char*> options, InventoryRun run) {
  CommandArguments parsed;
  if (!parsed.parse(command, arguments, options, false)) return nullptr;
  return [parsed, run](const qlb_pgn_table& pgn) { return run(pgn, parsed); };
}

}  // namespace

CommandAction prepareEnclosures(const std::vector<std::string>& arguments) {
  return prepareInventory("enclosures", arguments, {"--filter"}, &runEnclosures);
}

CommandAction prepareNodes(const std::vector<std::string>& arguments) {
  return prepareInventory("nodes", arguments, {"--filter", "--flags"}, &runNodes);
}

CommandAction prepareHosts(const std::vector<std::string>& arguments) {
  return prepareInventory("hosts", arguments, {"--filter"}, &runHosts);
}
