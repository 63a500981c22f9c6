#include "inventory_commands.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

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

// The options of an inventory command.
struct InventoryArguments {
  bool hasFilter = false;
  std::wstring filter;
  int flags = 0;
};

// Reads --filter TEXT and, where allowed, --flags N. False (after a message)
// for anything else.
bool parseArguments(const char* command, const std::vector<std::string>& arguments,
                    bool flagsAllowed, InventoryArguments& parsed) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    const bool takesValue = arg == "--filter" || (flagsAllowed && arg == "--flags");
    if (!takesValue) {
      std::fprintf(stderr, "quelbctl: %s does not take %s\n", command, arg.c_str());
      return false;
    }
    if (i + 1 >= arguments.size()) {
      std::fprintf(stderr, "quelbctl: %s needs a value\n", arg.c_str());
      return false;
    }
    const std::string& value = arguments[++i];
    if (arg == "--filter") {
      parsed.hasFilter = true;
      parsed.filter = boundedtext::utf8ToWide(value);
      continue;
    }
    char* end = nullptr;
    const long flags = std::strtol(value.c_str(), &end, 0);
    if (value.empty() || *end != '\0' || flags < 0 || flags > 0x7fffffff) {
      std::fprintf(stderr, "quelbctl: --flags wants a number, not %s\n", value.c_str());
      return false;
    }
    parsed.flags = static_cast<int>(flags);
  }
  return true;
}

// The filter as the entry points take it: null when none was given.
wchar_t* filterText(InventoryArguments& parsed) {
  return parsed.hasFilter ? &parsed.filter[0] : nullptr;
}

int finish(const qlb_pgn_table& pgn, const char* operation, int rc, int count,
           const char* what) {
  std::printf("%d %s\n", count, what);
  // The list before what follows on standard error (failure, last error).
  std::fflush(stdout);
  if (rc == 0) return 0;
  reportFailure(pgn, operation, rc);
  return 1;
}

}  // namespace

int runEnclosures(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments) {
  InventoryArguments parsed;
  if (!parseArguments("enclosures", arguments, false, parsed)) return 2;
  qlb_enclosure_node_list* list = nullptr;
  int count = 0;
  const int rc = pgn.enumerate_enclosures(&list, &count, filterText(parsed));
  for (const qlb_enclosure_node_list* e = list; e; e = e->el_next) {
    std::printf("enclosure %s  name %s  %s %s  provider %s  available %" PRIu64
                " bytes  total %" PRIu64 " bytes\n",
                narrow(e->el_id).c_str(), narrow(e->el_name).c_str(), narrow(e->el_vendor).c_str(),
                narrow(e->el_product).c_str(), narrow(e->el_provider_name).c_str(),
                e->el_available, e->el_total);
  }
  quelb_free_enclosure_list(list);
  return finish(pgn, "enumerate_enclosures", rc, count, "enclosures");
}

int runNodes(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments) {
  InventoryArguments parsed;
  if (!parseArguments("nodes", arguments, true, parsed)) return 2;
  qlb_node_list* list = nullptr;
  int count = 0;
  const int rc = pgn.enumerate_nodes(&list, &count, parsed.flags, filterText(parsed));
  for (const qlb_node_list* n = list; n; n = n->nl_next) {
    std::printf("node %s  id %s  size %" PRIu64 " bytes  provider %s\n", narrow(n->nl_name).c_str(),
                narrow(n->nl_objid ? n->nl_objid->qid_text : nullptr).c_str(), n->nl_attr.na_size,
                narrow(n->nl_text).c_str());
  }
  quelb_free_node_list(list);
  return finish(pgn, "enumerate_nodes", rc, count, "nodes");
}

int runHosts(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments) {
  InventoryArguments parsed;
  if (!parseArguments("hosts", arguments, false, parsed)) return 2;
  qlb_host_node_list* list = nullptr;
  int count = 0;
  const int rc = pgn.enumerate_host_nodes(&list, &count, filterText(parsed));
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
