#include "lifecycle_commands.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "config_value_list.h"
#include "report.h"
#include "source_node.h"
#include "utf8.h"

const char* const kLifecycleUsage =
    "  snapshot --method NAME UDID=TARGET [UDID=TARGET ...] [--session ID] [--import]\n"
    "                       takes a snapshot of each source device UDID onto\n"
    "                       its TARGET device of the same array: interpose,\n"
    "                       init_node, config, select, prepare, make in one\n"
    "                       session; NAME is EMC_TimeFinder_Mirror,\n"
    "                       EMC_TimeFinder_Clone or EMC_TimeFinder_Snap and\n"
    "                       holds for the sources after it; --import makes\n"
    "                       each snapshot visible to this host\n";

namespace {

const char* const kMethods[] = {"EMC_TimeFinder_Mirror", "EMC_TimeFinder_Clone",
                                "EMC_TimeFinder_Snap"};
const char kResourceSpecKey[] = "snapshot_resource_spec";
const char kIdentityMarker[] = "UDID##";
// import_resource: make the resource visible to the host.
const int kImportVisible = 0x1;

bool isMethod(const std::string& name) {
  for (const char* method : kMethods)
    if (name == method) return true;
  return false;
}

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
  std::string m_sessionId = "quelbctl-" + std::to_string(::getpid());
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
        std::fprintf(stderr, "quelbctl: %s needs a value\n", arg.c_str());
        return false;
      }
      const std::string& value = arguments[++i];
      if (arg == "--session") {
        if (value.empty()) {
          std::fprintf(stderr, "quelbctl: --session needs a value\n");
          return false;
        }
        m_sessionId = value;
      } else if (!isMethod(value)) {
        std::fprintf(stderr,
                     "quelbctl: unknown snapshot method %s (EMC_TimeFinder_Mirror, "
                     "EMC_TimeFinder_Clone or EMC_TimeFinder_Snap)\n",
                     value.c_str());
        return false;
      } else {
        method = value;
      }
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "quelbctl: snapshot does not take %s\n", arg.c_str());
      return false;
    }
    if (!addSource(arg, method)) return false;
  }
  if (m_sources.empty()) {
    std::fprintf(stderr, "quelbctl: snapshot needs at least one UDID=TARGET\n");
    return false;
  }
  return true;
}

bool SnapshotOptions::addSource(const std::string& text, const std::string& method) {
  if (method.empty()) {
    std::fprintf(stderr, "quelbctl: --method must come before the source %s\n", text.c_str());
    return false;
  }
  const size_t equals = text.rfind('=');
  SourceArgument source;
  source.method = method;
  if (equals != std::string::npos) {
    source.identity = text.substr(0, equals);
    source.target = text.substr(equals + 1);
  }
  if (source.target.empty() || !splitIdentity(source.identity, source.symid, source.device)) {
    std::fprintf(stderr,
                 "quelbctl: a source is UDID##EMC##SYMMETRIX##<symid>##<device>=<target "
                 "device>, not %s\n",
                 text.c_str());
    return false;
  }
  m_sources.push_back(source);
  return true;
}

// The run of one snapshot: the sources' nodes, the three steps of the
// session, what make hands back, and the optional import. Nodes are
// released and the out array freed when the run ends.
class SnapshotRun {
 public:
  SnapshotRun(const qlb_pgn_table& pgn, const SnapshotOptions& options)
      : m_pgn(pgn), m_options(options) {}
  ~SnapshotRun() { quelb_free_objid_array(m_snapshots, m_snapshotCount); }
  SnapshotRun(const SnapshotRun&) = delete;
  SnapshotRun& operator=(const SnapshotRun&) = delete;

  // quelbctl's exit status.
  int run();

 private:
  // interpose, init_node and config of every source.
  bool prepareNodes();
  // select, prepare and make in the session.
  bool takeSnapshot();
  void printSnapshots() const;
  bool importSnapshots();
  // Reports a failed operation; false when rc is not 0.
  bool succeeded(const char* operation, int rc) const;

  const qlb_pgn_table& m_pgn;
  const SnapshotOptions& m_options;
  std::vector<std::unique_ptr<SourceNode> > m_nodes;
  std::vector<qlb_splitnode*> m_splits;
  quelb_objid** m_snapshots = nullptr;
  int m_snapshotCount = 0;
};

int SnapshotRun::run() {
  const bool ok = prepareNodes() && takeSnapshot();
  if (ok) printSnapshots();
  const bool imported = ok && (!m_options.importSnapshots() || importSnapshots());
  // Everything printed before the failure reports on standard error.
  std::fflush(stdout);
  return imported ? 0 : 1;
}

bool SnapshotRun::succeeded(const char* operation, int rc) const {
  if (rc == 0) return true;
  std::fflush(stdout);
  reportFailure(m_pgn, operation, rc);
  return false;
}

bool SnapshotRun::prepareNodes() {
  for (const SourceArgument& source : m_options.sources()) {
    m_nodes.emplace_back(new SourceNode(m_pgn, source.identity, source.method));
    SourceNode& node = *m_nodes.back();
    if (!node.interpose()) {
      std::fflush(stdout);
      std::fprintf(stderr, "quelbctl: the provider does not claim %s\n", source.identity.c_str());
      return false;
    }
    if (!succeeded("init_node", node.initialise())) return false;
    ConfigValueList values;
    values.set(kResourceSpecKey, source.symid + "##" + source.device + ";" + source.target);
    if (!succeeded("config", node.configure(m_options.sessionId(), values.xml()))) return false;
    std::printf("source %s  node %s  method %s  target %s\n", source.identity.c_str(),
                node.name().c_str(), source.method.c_str(), source.target.c_str());
    m_splits.push_back(node.split());
  }
  return true;
}

bool SnapshotRun::takeSnapshot() {
  std::string session = m_options.sessionId();
  const int count = static_cast<int>(m_splits.size());
  if (!succeeded("select", m_pgn.select(nullptr, &session[0], m_splits.data(), count)))
    return false;
  if (!succeeded("prepare", m_pgn.prepare(nullptr, &session[0], m_splits.data(), count, 0)))
    return false;
  return succeeded("make", m_pgn.make(nullptr, &session[0], m_splits.data(), count, &m_snapshots,
                                      &m_snapshotCount));
}

void SnapshotRun::printSnapshots() const {
  for (int i = 0; i < m_snapshotCount && i < static_cast<int>(m_nodes.size()); ++i) {
    const quelb_objid* id = m_snapshots ? m_snapshots[i] : nullptr;
    std::printf("snapshot %s -> %s\n", m_nodes[i]->identity().c_str(),
                id ? narrow(id->qid_text).c_str() : "(none)");
  }
  std::printf("%d snapshots in session %s\n", m_snapshotCount, m_options.sessionId().c_str());
}

bool SnapshotRun::importSnapshots() {
  char host[256] = {0};
  if (::gethostname(host, sizeof host - 1) != 0) {
    std::fprintf(stderr, "quelbctl: the host name of this machine is unknown\n");
    return false;
  }
  std::wstring hostName = boundedtext::utf8ToWide(host);
  for (int i = 0; m_snapshots && i < m_snapshotCount; ++i) {
    if (!m_snapshots[i] || !m_snapshots[i]->qid_text) continue;
    std::wstring name = m_snapshots[i]->qid_text;
    const int rc = m_pgn.import_resource(nullptr, &name[0], &hostName[0], nullptr, kImportVisible,
                                         nullptr, nullptr);
    if (!succeeded("import_resource", rc)) return false;
    std::printf("imported %s to %s\n", narrow(name.c_str()).c_str(), host);
  }
  return true;
}

}  // namespace

CommandAction prepareSnapshot(const std::vector<std::string>& arguments) {
  auto options = std::make_shared<SnapshotOptions>();
  if (!options->parse(arguments)) return nullptr;
  return [options](const qlb_pgn_table& pgn) {
    SnapshotRun run(pgn, *options);
    return run.run();
  };
}
