#include "copy_commands.h"

#include <cstdio>

#include "report.h"
#include "utf8.h"

const char* const kCopyUsage =
    "  import UDID [--flags N] [--host NAME]\n"
    "                       make a device visible to this host (import_resource;\n"
    "                       N 0x1 (default) keeps other hosts' access, 0x2 removes it)\n"
    "  deport UDID [--flags N] [--host NAME]\n"
    "                       hide it from this host again (deport_resource; N 0x10\n"
    "                       (default) keeps other hosts' access, 0x20 removes it)\n"
    "  dispose SOURCE_UDID SNAPSHOT_UDID\n"
    "                       release a snapshot of a source device (dispose, detach)\n"
    "  restore SOURCE_UDID=SNAPSHOT_UDID [...] [--flags N]\n"
    "                       copy snapshots back onto their sources (restore; N default 0)\n"
    "  UDID is a device identity, e.g. UDID##EMC##SYMMETRIX##000190100001##0080\n";

namespace {

bool expectWords(const char* command, const CommandArguments& parsed, size_t count,
                 const char* what) {
  if (parsed.words.size() == count) return true;
  std::fprintf(stderr, "quelbctl: %s wants %s\n", command, what);
  return false;
}

// Object ids made by the utility library from device identities, as the
// framework hands them to the provider; freed with the holder.
class ObjectIds {
 public:
  ObjectIds() = default;
  ~ObjectIds() {
    for (quelb_objid* id : ids_) quelb_free_objid(id);
  }
  ObjectIds(const ObjectIds&) = delete;
  ObjectIds& operator=(const ObjectIds&) = delete;

  // The id of `identity`; null (after a message) when none could be made.
  quelb_objid* add(const std::string& identity, int type) {
    const std::wstring text = boundedtext::utf8ToWide(identity);
    quelb_objid* id = quelb_get_objid(text.c_str(), (text.size() + 1) * sizeof(wchar_t), type);
    if (!id) std::fprintf(stderr, "quelbctl: no object id for %s\n", identity.c_str());
    ids_.push_back(id);
    return id;
  }
  quelb_objid** data() { return ids_.data(); }

 private:
  std::vector<quelb_objid*> ids_;
};

// 0 after printing `done`, else 1 after reporting the failure.
int finish(const qlb_pgn_table& pgn, const char* operation, int rc, const std::string& done) {
  if (rc == 0) {
    std::printf("%s\n", done.c_str());
    std::fflush(stdout);
    return 0;
  }
  std::fflush(stdout);
  reportFailure(pgn, operation, rc);
  return 1;
}

std::string hexFlags(long flags) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", flags);
  return text;
}

// import and deport: one identity, --flags (default `defaultFlags`) and
// --host.
CommandAction prepareResource(const char* command, const std::vector<std::string>& arguments,
                              long defaultFlags) {
  CommandArguments parsed;
  if (!parsed.parse(command, arguments, {"--flags", "--host"}, true) ||
      !expectWords(command, parsed, 1, "one device identity (UDID)"))
    return nullptr;
  const bool import = std::string(command) == "import";
  return [parsed, defaultFlags, import](const qlb_pgn_table& pgn) {
    std::wstring resource = boundedtext::utf8ToWide(parsed.words[0]);
    std::wstring host;
    if (parsed.has("--host")) host = boundedtext::utf8ToWide(parsed.options.at("--host"));
    wchar_t* hostName = parsed.has("--host") ? &host[0] : nullptr;
    const long flags = parsed.flags(defaultFlags);
    const int rc = import ? pgn.import_resource(nullptr, &resource[0], hostName, nullptr,
                                                static_cast<int>(flags), nullptr, nullptr)
                          : pgn.deport_resource(nullptr, &resource[0], hostName, nullptr,
                                                static_cast<int>(flags));
    return finish(pgn, import ? "import_resource" : "deport_resource", rc,
                  (import ? "imported " : "deported ") + parsed.words[0] + " (flags " +
                      hexFlags(flags) + ")");
  };
}

int runDispose(const qlb_pgn_table& pgn, const CommandArguments& parsed) {
  ObjectIds ids;
  qlb_domain source = {};
  qlb_domain snapshot = {};
  source.fid_objid = ids.add(parsed.words[0], QLB_OBJID_NODE);
  snapshot.fid_objid = ids.add(parsed.words[1], QLB_OBJID_SNAPSHOT);
  if (!source.fid_objid || !snapshot.fid_objid) return 1;
  qlb_splitnode split = {};
  split.sn_node = &source;
  const int rc = pgn.dispose(&source, &snapshot, &split, QLB_DISPOSITION_DETACH);
  return finish(pgn, "dispose", rc,
                "disposed of snapshot " + parsed.words[1] + " of " + parsed.words[0]);
}

// Each word of `parsed` is SOURCE_UDID=SNAPSHOT_UDID (checked when read).
int runRestore(const qlb_pgn_table& pgn, const CommandArguments& parsed) {
  const long flags = parsed.flags(0);
  ObjectIds sources;
  ObjectIds snapshots;
  std::string done;
  for (const std::string& pair : parsed.words) {
    const size_t equals = pair.find('=');
    if (!sources.add(pair.substr(0, equals), QLB_OBJID_NODE) ||
        !snapshots.add(pair.substr(equals + 1), QLB_OBJID_SNAPSHOT))
      return 1;
    done += "\n  " + pair.substr(0, equals) + " from " + pair.substr(equals + 1);
  }
  const long count = static_cast<long>(parsed.words.size());
  long status = 0;
  const int rc =
      pgn.restore(sources.data(), snapshots.data(), count, nullptr, nullptr, flags, &status);
  return finish(pgn, "restore", rc,
                "restored " + std::to_string(count) + (count == 1 ? " pair" : " pairs") +
                    " (flags " + hexFlags(flags) + ")" + done);
}

}  // namespace

CommandAction prepareImport(const std::vector<std::string>& arguments) {
  return prepareResource("import", arguments, 0x1);
}

CommandAction prepareDeport(const std::vector<std::string>& arguments) {
  return prepareResource("deport", arguments, 0x10);
}

CommandAction prepareDispose(const std::vector<std::string>& arguments) {
  CommandArguments parsed;
  if (!parsed.parse("dispose", arguments, {}, true) ||
      !expectWords("dispose", parsed, 2, "a source and a snapshot device identity"))
    return nullptr;
  return [parsed](const qlb_pgn_table& pgn) { return runDispose(pgn, parsed); };
}

CommandAction prepareRestore(const std::vector<std::string>& arguments) {
  CommandArguments parsed;
  if (!parsed.parse("restore", arguments, {"--flags"}, true)) return nullptr;
  if (parsed.words.empty()) {
    std::fprintf(stderr, "quelbctl: restore wants SOURCE_UDID=SNAPSHOT_UDID pairs\n");
    return nullptr;
  }
  for (const std::string& pair : parsed.words) {
    const size_t equals = pair.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == pair.size()) {
      std::fprintf(stderr, "quelbctl: restore wants SOURCE_UDID=SNAPSHOT_UDID, not %s\n",
                   pair.c_str());
      return nullptr;
    }
  }
  return [parsed](const qlb_pgn_table& pgn) { return runRestore(pgn, parsed); };
}
