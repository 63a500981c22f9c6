#include "lifecycle_commands.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "config_value_list.h"
#include "host_platform.h"
#include "message_log.h"
#include "session.h"
#include "source_node.h"
#include "text_table.h"
#include "utf8.h"

namespace {

const char kResourceSpecKey[] = "snapshot_resource_spec";
const char kIdentityMarker[] = "UDID##";
// import_resource: make the resource visible to the host.
const int kImportVisible = 0x1;

// One source of the snapshot as given on the command line.
struct SourceArgument {
  std::string identity;  // UDID##vendor##product##symid##device
  std::string symid;
  std::string device;
  std::string target;
  std::string method;
};

// Takes "UDID##vendor##product##symid##device": false when the text does not
// have these parts.
bool splitIdentity(const std::string& identity, std::string& symid, std::string& device) {
  if (identity.compare(0, sizeof kIdentityMarker - 1, kIdentityMarker) != 0) return false;
  size_t at = sizeof kIdentityMarker - 1;
  for (int part = 0; part < 2; ++part) {  // vendor, product
    at = identity.find("##", at);
    if (at == std::string::npos) return false;
    at += 2;
  }
  const size_t end = identity.find("##", at);
  if (end == std::string::npos) return false;
  symid = identity.substr(at, end - at);
  device = identity.substr(end + 2);
  return !symid.empty() && !device.empty();
}

// The options of the snapshot command.
class SnapshotOptions {
 public:
  // False (after a message) for bad arguments.
  bool parse(const std::vector<std::string>& arguments);

  const std::vector<SourceArgument>& sources() const { return m_sources; }
  const std::string& sessionId() const { return m_sessionId; }
  bool importSnapshots() const { return m_import; }

 private:
  bool addSource(const std::string& text, const std::string& method);

  std::vector<SourceArgument> m_sources;
  std::string m_sessionId = "quelbctl-" + std::to_string(host::processId());
  bool m_import = false;
};

bool SnapshotOptions::parse(const std::vector<std::string>& arguments) {
  std::string method;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (arg == "--import") {
      m_import = true;
      continue;
    }
    if (arg == "--method" || arg == "--session") {
      if (i + 1 >= arguments.size()) {
        usageError("snapshot", arg + " needs a value");
        return false;
      }
      const std::string& value = arguments[++i];
      if (arg == "--session") {
        if (value.empty()) {
          usageError("snapshot", "--session needs a value");
          return false;
        }
        m_sessionId = value;
      } else if (value.empty()) {
        usageError("snapshot", "--method needs a value");
        return false;
      } else {
        method = value;
      }
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      usageError("snapshot", "snapshot does not take " + arg);
      return false;
    }
    if (!addSource(arg, method)) return false;
  }
  if (m_sources.empty()) {
    usageError("snapshot", "snapshot needs at least one UDID=TARGET");
    return false;
  }
  return true;
}

bool SnapshotOptions::addSource(const std::string& text, const std::string& method) {
  if (method.empty()) {
    usageError("snapshot", "--method must come before the source " + text);
    return false;
  }
  SourceArgument source;
  source.method = method;
  if (!splitAtEquals(text, source.identity, source.target) ||
      !splitIdentity(source.identity, source.symid, source.device)) {
    usageError("snapshot",
               "a source is UDID##EMC##SYMMETRIX##<symid>##<device>=<target device>, not " + text);
    return false;
  }
  // The provider reads the target from a text in which ';', '&', brackets
  // and line ends separate items, and the target is always a device of the
  // source's array: anything but a device name would be cut short or
  // re-read silently.
  const bool deviceName =
      source.target.size() <= 8 &&
      source.target.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos;
  if (!deviceName) {
    usageError("snapshot",
               "a target is a device of the source's array (1 to 8 hexadecimal "
               "digits), not " +
                   source.target);
    return false;
  }
  for (const SourceArgument& earlier : m_sources) {
    if (earlier.identity == source.identity) {
      usageError("snapshot", "the source " + source.identity + " is given twice");
      return false;
    }
  }
  m_sources.push_back(source);
  return true;
}

// The run of one snapshot: the sources' nodes, the three steps of the
// session, what make hands back, and the optional import. Nodes are
// released and the out array freed when the run ends.
class SnapshotRun {
 public:
  SnapshotRun(Session& session, const SnapshotOptions& options)
      : m_session(session), m_pgn(session.pgn()), m_options(options) {}
  ~SnapshotRun() { quelb_free_objid_array(m_snapshots, m_snapshotCount); }
  SnapshotRun(const SnapshotRun&) = delete;
  SnapshotRun& operator=(const SnapshotRun&) = delete;

  // quelbctl's exit status.
  int run();

 private:
  // Whether the provider offers every method asked for (enumerate_fims).
  bool methodsOffered();
  // interpose, init_node and config of every source.
  bool prepareNodes();
  // select, prepare and make in the session.
  bool takeSnapshot();
  void showSnapshots();
  bool importSnapshots();

  Session& m_session;
  const qlb_pgn_table& m_pgn;
  const SnapshotOptions& m_options;
  std::vector<std::unique_ptr<SourceNode> > m_nodes;
  std::vector<qlb_splitnode*> m_splits;
  quelb_objid** m_snapshots = nullptr;
  int m_snapshotCount = 0;
};

int SnapshotRun::run() {
  m_session.result().set("session", m_options.sessionId());
  const bool ok = methodsOffered() && prepareNodes() && takeSnapshot();
  if (ok) showSnapshots();
  const bool imported = ok && (!m_options.importSnapshots() || importSnapshots());
  std::fflush(stdout);
  return imported ? 0 : 1;
}

bool SnapshotRun::methodsOffered() {
  qlb_fim_list* fims = nullptr;
  if (m_session.call("enumerate_fims", [&] { return m_pgn.enumerate_fims(&fims); }) != 0) {
    quelb_free_fim_list(fims);
    return false;
  }
  std::vector<std::string> offered;
  for (const qlb_fim_list* f = fims; f; f = f->fl_next) offered.push_back(narrow(f->fl_name));
  quelb_free_fim_list(fims);
  for (const SourceArgument& source : m_options.sources()) {
    if (std::find(offered.begin(), offered.end(), source.method) != offered.end()) continue;
    std::string names;
    for (const std::string& name : offered) names += (names.empty() ? "" : ", ") + name;
    m_session.fail("the provider offers no snapshot method " + source.method + " (it offers " +
                   (names.empty() ? std::string("none") : names) + ")");
    return false;
  }
  return true;
}

bool SnapshotRun::prepareNodes() {
  JsonValue& sources = m_session.result().set("sources", JsonValue::array());
  for (const SourceArgument& source : m_options.sources()) {
    m_nodes.emplace_back(new SourceNode(m_pgn, source.identity, source.method));
    SourceNode& node = *m_nodes.back();
    bool claimed = false;
    m_session.call("interpose", [&] {
      claimed = node.interpose();
      return 0;
    });
    if (!claimed) {
      m_session.fail("the provider does not claim " + source.identity);
      return false;
    }
    if (m_session.call("init_node", [&] { return node.initialise(); }) != 0) return false;
    ConfigValueList values;
    values.set(kResourceSpecKey, source.symid + "##" + source.device + ";" + source.target);
    if (m_session.call("config",
                       [&] { return node.configure(m_options.sessionId(), values.xml()); }) != 0)
      return false;
    JsonValue item = JsonValue::object();
    item.set("udid", source.identity);
    item.set("node", node.name());
    item.set("method", source.method);
    item.set("target", source.target);
    sources.push(item);
    m_session.note("source " + source.identity + ": node " + node.name() + ", method " +
                   source.method + ", target " + source.target);
    m_splits.push_back(node.split());
  }
  return true;
}

bool SnapshotRun::takeSnapshot() {
  std::string session = m_options.sessionId();
  const int count = static_cast<int>(m_splits.size());
  if (m_session.call("select", [&] {
        return m_pgn.select(nullptr, &session[0], m_splits.data(), count);
      }) != 0)
    return false;
  if (m_session.call("prepare", [&] {
        return m_pgn.prepare(nullptr, &session[0], m_splits.data(), count, 0);
      }) != 0)
    return false;
  return m_session.call("make", [&] {
    return m_pgn.make(nullptr, &session[0], m_splits.data(), count, &m_snapshots, &m_snapshotCount);
  }) == 0;
}

void SnapshotRun::showSnapshots() {
  JsonValue& snapshots = m_session.result().set("snapshots", JsonValue::array());
  for (int i = 0; i < m_snapshotCount && i < static_cast<int>(m_nodes.size()); ++i) {
    const quelb_objid* id = m_snapshots ? m_snapshots[i] : nullptr;
    const std::string snapshot = id ? narrow(id->qid_text) : std::string();
    JsonValue item = JsonValue::object();
    item.set("source", m_nodes[i]->identity());
    item.set("snapshot", id ? JsonValue(snapshot) : JsonValue());
    snapshots.push(item);
    m_session.print("snapshot " + m_nodes[i]->identity() + " -> " +
                    (id ? snapshot : std::string("(none)")));
  }
  m_session.note(countOf(m_snapshotCount, "snapshot", "snapshots") + " in session " +
                 m_options.sessionId());
}

bool SnapshotRun::importSnapshots() {
  JsonValue& imported = m_session.result().set("imported", JsonValue::array());
  std::string machine;
  if (!host::machineName(machine)) {
    m_session.fail("the host name of this machine is unknown");
    return false;
  }
  std::wstring hostName = boundedtext::utf8ToWide(machine);
  for (int i = 0; m_snapshots && i < m_snapshotCount; ++i) {
    if (!m_snapshots[i] || !m_snapshots[i]->qid_text) continue;
    std::wstring name = m_snapshots[i]->qid_text;
    if (m_session.call("import_resource", [&] {
          return m_pgn.import_resource(nullptr, &name[0], &hostName[0], nullptr, kImportVisible,
                                       nullptr, nullptr);
        }) != 0)
      return false;
    JsonValue item = JsonValue::object();
    item.set("snapshot", narrow(name.c_str()));
    item.set("host", machine);
    imported.push(item);
    m_session.print("imported " + narrow(name.c_str()) + " to " + machine);
  }
  return true;
}

CommandAction prepareSnapshot(const std::vector<std::string>& arguments) {
  auto options = std::make_shared<SnapshotOptions>();
  if (!options->parse(arguments)) return nullptr;
  return [options](Session& session) {
    SnapshotRun run(session, *options);
    return run.run();
  };
}

const char kSnapshotHelp[] =
    "Takes a snapshot of each source device onto its target device of the same\n"
    "array, the way the framework does, in this one process: interpose, init_node\n"
    "and config (the target as snapshot_resource_spec) of every source, then\n"
    "select, prepare and make in one session. Prints the snapshot's identity per\n"
    "source. A Mirror snapshot waits until the pair is synchronised, then splits\n"
    "it; a Clone snapshot establishes a full copy; a Snap snapshot creates and\n"
    "activates a copy-on-write session.\n\n"
    "  --method NAME   a snapshot method the provider offers (quelbctl info lists\n"
    "                  them; norvel's: EMC_TimeFinder_Mirror, EMC_TimeFinder_Clone\n"
    "                  and EMC_TimeFinder_Snap); holds for the sources after it\n"
    "  UDID=TARGET     a source device identity and the name of its target device,\n"
    "                  e.g. UDID##EMC##SYMMETRIX##000190100001##0040=0080\n"
    "  --session ID    the snapshot session (default quelbctl-<process id>)\n"
    "  --import        make each snapshot visible to this host afterwards\n\n"
    "JSON: result with session, sources[] (udid, node, method, target),\n"
    "snapshots[] (source, snapshot) and, with --import, imported[] (snapshot, host).\n";

}  // namespace

const CommandSpec kSnapshotCommand = {
    "snapshot", "snapshot --method NAME UDID=TARGET... [--session ID] [--import]",
    "take a snapshot of source devices onto their targets", kSnapshotHelp, &prepareSnapshot};
