#include "copy_commands.h"

#include <quelb/quelb_pgn.h>

#include <cstdio>

#include "session.h"
#include "utf8.h"

namespace {

bool expectWords(const char* command, const CommandArguments& parsed, size_t count,
                 const char* what) {
  if (parsed.words.size() == count) return true;
  usageError(command, std::string(command) + " wants " + what);
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

  // The id of `identity`; null (after a failure report) when none could be
  // made.
  quelb_objid* add(Session& session, const std::string& identity, int type) {
    const std::wstring text = boundedtext::utf8ToWide(identity);
    quelb_objid* id = quelb_get_objid(text.c_str(), (text.size() + 1) * sizeof(wchar_t), type);
    if (!id) session.fail("no object id for " + identity);
    ids_.push_back(id);
    return id;
  }
  quelb_objid** data() { return ids_.data(); }

 private:
  std::vector<quelb_objid*> ids_;
};

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
  return [parsed, defaultFlags, import](Session& session) {
    std::wstring resource = boundedtext::utf8ToWide(parsed.words[0]);
    std::wstring host;
    if (parsed.has("--host")) host = boundedtext::utf8ToWide(parsed.options.at("--host"));
    wchar_t* hostName = parsed.has("--host") ? &host[0] : nullptr;
    const long flags = parsed.flags(defaultFlags);
    const int rc = session.call(import ? "import_resource" : "deport_resource", [&] {
      return import ? session.pgn().import_resource(nullptr, &resource[0], hostName, nullptr,
                                                    static_cast<int>(flags), nullptr, nullptr)
                    : session.pgn().deport_resource(nullptr, &resource[0], hostName, nullptr,
                                                    static_cast<int>(flags));
    });
    JsonValue& result = session.result();
    result.set("udid", parsed.words[0]);
    result.set("host", parsed.has("--host") ? JsonValue(parsed.options.at("--host")) : JsonValue());
    result.set("flags", hexFlags(flags));
    if (rc != 0) return 1;
    session.print((import ? "imported " : "deported ") + parsed.words[0] + " (flags " +
                  hexFlags(flags) + ")");
    return 0;
  };
}

int runDispose(Session& session, const CommandArguments& parsed) {
  ObjectIds ids;
  qlb_domain source = {};
  qlb_domain snapshot = {};
  session.result().set("source", parsed.words[0]);
  session.result().set("snapshot", parsed.words[1]);
  source.fid_objid = ids.add(session, parsed.words[0], QLB_OBJID_NODE);
  snapshot.fid_objid = ids.add(session, parsed.words[1], QLB_OBJID_SNAPSHOT);
  if (!source.fid_objid || !snapshot.fid_objid) return 1;
  qlb_splitnode split = {};
  split.sn_node = &source;
  if (session.call("dispose", [&] {
        return session.pgn().dispose(&source, &snapshot, &split, QLB_DISPOSITION_DETACH);
      }) != 0)
    return 1;
  session.print("disposed of snapshot " + parsed.words[1] + " of " + parsed.words[0]);
  return 0;
}

// Each word of `parsed` is SOURCE_UDID=SNAPSHOT_UDID (checked when read).
int runRestore(Session& session, const CommandArguments& parsed) {
  const long flags = parsed.flags(0);
  ObjectIds sources;
  ObjectIds snapshots;
  std::string done;
  JsonValue& pairs = session.result().set("pairs", JsonValue::array());
  session.result().set("flags", hexFlags(flags));
  for (const std::string& pair : parsed.words) {
    std::string source, snapshot;
    splitAtEquals(pair, source, snapshot);  // checked when the command was read
    if (!sources.add(session, source, QLB_OBJID_NODE) ||
        !snapshots.add(session, snapshot, QLB_OBJID_SNAPSHOT))
      return 1;
    JsonValue item = JsonValue::object();
    item.set("source", source);
    item.set("snapshot", snapshot);
    pairs.push(item);
    done += "\n  " + source + " from " + snapshot;
  }
  const long count = static_cast<long>(parsed.words.size());
  long status = 0;
  if (session.call("restore", [&] {
        return session.pgn().restore(sources.data(), snapshots.data(), count, nullptr, nullptr,
                                     flags, &status);
      }) != 0)
    return 1;
  session.print("restored " + std::to_string(count) + (count == 1 ? " pair" : " pairs") +
                " (flags " + hexFlags(flags) + ")" + done);
  return 0;
}

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
  return [parsed](Session& session) { return runDispose(session, parsed); };
}

CommandAction prepareRestore(const std::vector<std::string>& arguments) {
  CommandArguments parsed;
  if (!parsed.parse("restore", arguments, {"--flags"}, true)) return nullptr;
  if (parsed.words.empty()) {
    usageError("restore", "restore wants SOURCE_UDID=SNAPSHOT_UDID pairs");
    return nullptr;
  }
  for (const std::string& pair : parsed.words) {
    std::string source, snapshot;
    if (!splitAtEquals(pair, source, snapshot)) {
      usageError("restore", "restore wants SOURCE_UDID=SNAPSHOT_UDID, not " + pair);
      return nullptr;
    }
  }
  return [parsed](Session& session) { return runRestore(session, parsed); };
}

#define UDID_HELP "UDID is a device identity, e.g. UDID##EMC##SYMMETRIX##000190100001##0080.\n"

const char kImportHelp[] =
    "Makes a device (usually a snapshot) visible to this host: masks it to the\n"
    "host's HBAs on the director ports of the device (import_resource).\n\n"
    "  --flags N       0x1 (default) keeps other hosts' access, 0x2 removes it\n"
    "  --host NAME     the host name handed to the provider (norvel ignores it:\n"
    "                  it always masks to this host's HBAs)\n\n" UDID_HELP
    "JSON: result with udid, host, flags.\n";
const char kDeportHelp[] =
    "Hides a device from this host again (deport_resource).\n\n"
    "  --flags N       0x10 (default) keeps other hosts' access, 0x20 removes it\n"
    "  --host NAME     the host name handed to the provider (norvel ignores it)\n\n" UDID_HELP
    "JSON: result with udid, host, flags.\n";
const char kDisposeHelp[] =
    "Releases a snapshot of a source device (dispose, disposition detach): a clone\n"
    "or snap session is terminated, a split mirror is established again (so the\n"
    "pair is Synchronized afterwards, ready for the next snapshot).\n\n" UDID_HELP
    "JSON: result with source, snapshot.\n";
const char kRestoreHelp[] =
    "Copies snapshots back onto their source devices (restore) and waits until the\n"
    "array has done so.\n\n"
    "  --flags N       the framework's restore flags (default 0)\n\n" UDID_HELP
    "JSON: result with pairs[] (source, snapshot) and flags.\n";

}  // namespace

const CommandSpec kImportCommand = {"import", "import UDID [--flags N] [--host NAME]",
                                    "make a device visible to this host", kImportHelp,
                                    &prepareImport};
const CommandSpec kDeportCommand = {"deport", "deport UDID [--flags N] [--host NAME]",
                                    "hide a device from this host again", kDeportHelp,
                                    &prepareDeport};
const CommandSpec kDisposeCommand = {"dispose", "dispose SOURCE_UDID SNAPSHOT_UDID",
                                     "release a snapshot of a source device", kDisposeHelp,
                                     &prepareDispose};
const CommandSpec kRestoreCommand = {"restore", "restore SOURCE_UDID=SNAPSHOT_UDID... [--flags N]",
                                     "copy snapshots back onto their sources", kRestoreHelp,
                                     &prepareRestore};
