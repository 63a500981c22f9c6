#include "scenario.h"

#include <map>
#include <memory>
#include <set>

#include "boundedtext.h"
#include "errors.h"
#include "schema.h"
#include "text.h"

namespace symsim {

namespace {

// One scenario line: keyword, positional words and key=value options.
struct Line {
  int number = 0;
  std::string keyword;
  std::vector<std::string> args;
  std::map<std::string, std::string> options;
  std::string rest;  // the text after the keyword (for "set")
};

const std::set<std::string> kPairStates = {"NeverEstab",   "SyncInProg", "Synchronized",
                                           "SplitInProg",  "Split",      "SplitBfrSync",
                                           "SplitBfrRest", "RestInProg", "Restored"};
const std::set<std::string> kCloneStates = {"Created", "CopyInProg", "Copied",
                                            "Split",   "RestInProg", "Restored"};
const std::set<std::string> kSnapStates = {"Created", "CopyOnWrite", "RestInProg", "Restored"};

class Loader {
 public:
  Loader(Database& db, const std::string& source) : db_(db), source_(source) {}

  void load(const std::string& text) {
    int number = 0;
    for (const std::string& raw : split(text, '\n')) {
      ++number;
      std::string s = raw;
      size_t hash = s.find('#');
      if (hash != std::string::npos) s = s.substr(0, hash);
      s = trim(s);
      if (s.empty()) continue;
      Line line = parse(s, number);
      try {
        apply(line);
      } catch (const CliError& e) {
        fail(line, e.what());
      } catch (const DatabaseError& e) {
        fail(line, e.what());
      }
    }
  }

 private:
  [[noreturn]] void fail(const Line& line, const std::string& what) const {
    throw ScenarioError(source_ + ":" + std::to_string(line.number) + ": " + what);
  }

  Line parse(const std::string& s, int number) {
    Line line;
    line.number = number;
    std::vector<std::string> w = words(s);
    line.keyword = toLower(w[0]);
    line.rest = trim(s.substr(w[0].size()));
    for (size_t i = 1; i < w.size(); ++i) {
      size_t eq = w[i].find('=');
      if (eq != std::string::npos && eq > 0)
        line.options[toLower(w[i].substr(0, eq))] = w[i].substr(eq + 1);
      else
        line.args.push_back(w[i]);
    }
    return line;
  }

  void expect(const Line& line, size_t least, size_t most,
              const std::set<std::string>& options) const {
    if (line.args.size() < least || line.args.size() > most)
      fail(line, "\"" + line.keyword + "\" takes " + std::to_string(least) +
                     (most != least ? " to " + std::to_string(most) : "") + " value(s)");
    for (const auto& o : line.options)
      if (!options.count(o.first))
        fail(line, "unknown option \"" + o.first + "\" for \"" + line.keyword + "\"");
  }

  std::string option(const Line& line, const std::string& key, const std::string& fallback) const {
    auto it = line.options.find(key);
    return it == line.options.end() ? fallback : it->second;
  }

  int64_t number(const Line& line, const std::string& text, const std::string& what) const {
    uint64_t v = 0;
    if (!parseUnsigned(text, &v)) fail(line, "invalid " + what + ": \"" + text + "\"");
    return static_cast<int64_t>(v);
  }

  bool flag(const Line& line, const std::string& key, bool fallback) const {
    std::string v = toLower(option(line, key, fallback ? "yes" : "no"));
    if (v == "yes" || v == "true" || v == "1") return true;
    if (v == "no" || v == "false" || v == "0") return false;
    fail(line, "\"" + key + "\" must be yes or no");
  }

  void needArray(const Line& line) const {
    if (!arrayId_) fail(line, "\"" + line.keyword + "\" must follow an \"array\" line");
  }

  void apply(const Line& line) {
    const std::string& k = line.keyword;
    if (k == "set") return applySet(line);
    if (k == "host") return applyHost(line);
    if (k == "hba") return applyHba(line);
    if (k == "array") return applyArray(line);
    needArray(line);
    if (k == "port") return applyPort(line);
    if (k == "disks" || k == "disk") return applyDisks(line);
    if (k == "devices" || k == "device") return applyDevices(line);
    if (k == "pairs" || k == "pair") return applyPairs(line);
    if (k == "clone" || k == "snap") return applySession(line);
    if (k == "login") return applyLogin(line);
    if (k == "alias") return applyAlias(line);
    if (k == "mask") return applyMask(line);
    if (k == "lock") return applyLock(line);
    fail(line, "unknown keyword \"" + line.keyword + "\"");
  }

  void applySet(const Line& line) {
    std::vector<std::string> w = words(line.rest);
    if (w.empty()) fail(line, "\"set\" needs a name and a value");
    if (!findSetting(w[0])) fail(line, "unknown setting \"" + w[0] + "\"");
    setSetting(db_, w[0], trim(line.rest.substr(w[0].size())));
  }

  void applyHost(const Line& line) {
    expect(line, 1, 1, {"name", "address"});
    bool local = line.args[0] == "local";
    if (!local && line.options.count("name")) fail(line, "only the local host takes name=");
    Statement st(db_, "INSERT INTO hosts(name, address, local) VALUES(?, ?, ?)");
    std::string name = local ? option(line, "name", "") : line.args[0];
    std::string address = option(line, "address", "");
    st.bind(1, name.empty() ? nullptr : name.c_str())
        .bind(2, address.empty() ? nullptr : address.c_str())
        .bind(3, local ? 1 : 0)
        .run();
    hostId_ = db_.lastInsertId();
  }

  void applyHba(const Line& line) {
    if (!hostId_) fail(line, "\"hba\" must follow a \"host\" line");
    expect(line, 1, 1, {"port"});
    std::string port = option(line, "port", "");
    Statement st(db_, "INSERT INTO hbas(host_id, wwn, port_name) VALUES(?, ?, ?)");
    st.bind(1, hostId_)
        .bind(2, canonicalWwn(line.args[0]))
        .bind(3, port.empty() ? nullptr : port.c_str())
        .run();
  }

  void applyArray(const Line& line) {
    expect(line, 1, 2, {"model", "microcode", "cache", "discovered"});
    std::string attachment = line.args.size() > 1 ? toLower(line.args[1]) : "local";
    if (attachment != "local" && attachment != "remote")
      fail(line, "attachment must be local or remote");
    Statement st(db_,
                 "INSERT INTO arrays(symid, local, model, microcode, cache_mb, discovered) "
                 "VALUES(?, ?, ?, ?, ?, ?)");
    st.bind(1, line.args[0])
        .bind(2, attachment == "local" ? 1 : 0)
        .bind(3, option(line, "model", "DMX4-24"))
        .bind(4, option(line, "microcode", "5773"))
        .bind(5, number(line, option(line, "cache", "65536"), "cache size"))
        .bind(6, flag(line, "discovered", true) ? 1 : 0)
        .run();
    arrayId_ = db_.lastInsertId();
    ports_.clear();
    devices_.clear();
  }

  // "FA-4A:0" -> port id of the current array.
  int64_t portId(const Line& line, const std::string& spec) {
    size_t colon = spec.find_last_of(':');
    if (colon == std::string::npos)
      fail(line, "director port \"" + spec + "\" must look like FA-4A:0");
    std::string key = directorKey(spec.substr(0, colon));
    int64_t port = number(line, spec.substr(colon + 1), "port number");
    if (key.empty()) fail(line, "invalid director \"" + spec.substr(0, colon) + "\"");
    auto it = ports_.find(key + ":" + std::to_string(port));
    if (it == ports_.end())
      fail(line, "director port " + spec + " is not declared by a \"port\" line");
    return it->second;
  }

  void applyPort(const Line& line) {
    expect(line, 1, 64, {});
    Statement st(db_, "INSERT INTO ports(array_id, director, port, wwn) VALUES(?, ?, ?, ?)");
    for (const std::string& spec : line.args) {
      size_t colon = spec.find_last_of(':');
      std::string key = colon == std::string::npos ? "" : directorKey(spec.substr(0, colon));
      if (key.empty()) fail(line, "director port \"" + spec + "\" must look like FA-4A:0");
      int64_t port = number(line, spec.substr(colon + 1), "port number");
      std::string id = key + ":" + std::to_string(port);
      if (ports_.count(id)) fail(line, "director port " + spec + " declared twice");
      // A made-up but stable port WWN: array number and port count.
      std::string wwn = boundedtext::formatString(32, "50000972%04llX%04llX",
                                                  static_cast<unsigned long long>(arrayId_),
                                                  static_cast<unsigned long long>(ports_.size()));
      st.bind(1, arrayId_).bind(2, key).bind(3, port).bind(4, wwn).run();
      ports_[id] = db_.lastInsertId();
    }
  }

  void applyDisks(const Line& line) {
    Statement st(db_, "INSERT INTO disks(array_id, ident, megabytes, avail_mb) VALUES(?, ?, ?, ?)");
    if (line.keyword == "disk") {
      expect(line, 1, 1, {"size", "avail"});
      int64_t size = number(line, option(line, "size", "140000"), "size");
      st.bind(1, arrayId_)
          .bind(2, line.args[0])
          .bind(3, size)
          .bind(4, number(line, option(line, "avail", "0"), "avail"))
          .run();
      return;
    }
    expect(line, 1, 1, {"size", "avail"});
    int64_t count = number(line, line.args[0], "disk count");
    int64_t size = number(line, option(line, "size", "140000"), "size");
    int64_t avail = number(line, option(line, "avail", "0"), "avail");
    if (avail > size) fail(line, "avail is larger than size");
    int64_t first = db_.scalar(
        ("SELECT count(*) FROM disks WHERE array_id = " + std::to_string(arrayId_)).c_str(), 0);
    for (int64_t i = first; i < first + count; ++i) {
      std::string ident = "DF-" + std::to_string(i % 16 + 1) +
                          std::string(1, static_cast<char>('A' + (i / 16) % 26)) +
                          (i >= 16 * 26 ? std::to_string(i / (16 * 26)) : "");
      st.bind(1, arrayId_).bind(2, ident).bind(3, size).bind(4, avail).run();
    }
  }

  // "0040-0047" or "0040:0047" or "0040".
  std::pair<uint64_t, uint64_t> range(const Line& line, const std::string& text) {
    size_t sep = text.find_first_of("-:");
    uint64_t from = 0, to = 0;
    bool ok = sep == std::string::npos
                  ? parseHex(text, &from) && parseHex(text, &to)
                  : parseHex(text.substr(0, sep), &from) && parseHex(text.substr(sep + 1), &to);
    if (!ok || to < from || to - from > 0x100000)
      fail(line, "invalid device range \"" + text + "\"");
    return {from, to};
  }

  void applyDevices(const Line& line) {
    bool single = line.keyword == "device";
    std::set<std::string> opts = {"size", "ports", "group", "status"};
    if (single) opts.insert({"ld", "pd", "bcv"});
    expect(line, 2, 2, opts);
    auto r = range(line, line.args[0]);
    if (single && r.first != r.second)
      fail(line, "\"device\" names one device; use \"devices\" for a range");
    std::string type = toLower(line.args[1]);
    if (type != "std" && type != "bcv" && type != "clone" && type != "vdev")
      fail(line, "device type must be std, bcv, clone or vdev");
    int64_t size = number(line, option(line, "size", "1024"), "size");
    std::string status = toLower(option(line, "status", "ready"));
    if (status != "ready" && status != "notready") fail(line, "status must be ready or notready");
    std::vector<int64_t> portIds;
    std::string portList = option(line, "ports", "");
    if (!portList.empty())
      for (const std::string& p : split(portList, ',')) portIds.push_back(portId(line, p));
    std::string group = option(line, "group", "");
    std::string ld = option(line, "ld", "");
    std::string pd = option(line, "pd", "");
    std::string bcv = option(line, "bcv", "");
    if (!bcv.empty()) bcv = canonicalDevice(bcv);

    Statement dev(db_,
                  "INSERT INTO devices(array_id, name, type, megabytes, pd_name, ld_name, dgroup, "
                  "status, attached_bcv) "
                  "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Statement map(db_, "INSERT INTO device_ports(device_id, port_id, lun) VALUES(?, ?, ?)");
    for (uint64_t n = r.first; n <= r.second; ++n) {
      std::string name = deviceName(n);
      if (devices_.count(name)) fail(line, "device " + name + " declared twice");
      dev.bind(1, arrayId_)
          .bind(2, name)
          .bind(3, type)
          .bind(4, size)
          .bind(5, pd.empty() ? nullptr : pd.c_str())
          .bind(6, ld.empty() ? nullptr : ld.c_str())
          .bind(7, group.empty() ? nullptr : group.c_str())
          .bind(8, status == "ready" ? "Ready" : "Not Ready")
          .bind(9, bcv.empty() ? nullptr : bcv.c_str())
          .run();
      int64_t id = db_.lastInsertId();
      devices_[name] = {id, type};
      for (int64_t p : portIds) map.bind(1, id).bind(2, p).bind(3, lun_[p]++).run();
    }
  }

  std::pair<int64_t, std::string> device(const Line& line, const std::string& name) {
    std::string n = canonicalDevice(name);
    auto it = devices_.find(n);
    if (it == devices_.end()) fail(line, "device " + n + " is not declared on this array");
    return it->second;
  }

  void addPair(const Line& line, const std::string& stdName, const std::string& bcvName,
               const std::string& state) {
    auto s = device(line, stdName);
    auto b = device(line, bcvName);
    if (b.second != "bcv") fail(line, "device " + canonicalDevice(bcvName) + " is not a BCV");
    if (s.second == "bcv" || s.second == "vdev")
      fail(line, "device " + canonicalDevice(stdName) + " cannot be a standard device");
    Statement attach(db_,
                     "UPDATE devices SET attached_bcv = coalesce(attached_bcv, ?) WHERE id = ?");
    attach.bind(1, canonicalDevice(bcvName)).bind(2, s.first).run();
    if (state == "NeverEstab") return;
    Statement st(
        db_,
        "INSERT INTO pairs(std_id, bcv_id, state, last_action, started) VALUES(?, ?, ?, ?, 0)");
    st.bind(1, s.first)
        .bind(2, b.first)
        .bind(3, state)
        .bind(4, state == "Split" ? "Split" : "Establish")
        .run();
  }

  void applyPairs(const Line& line) {
    expect(line, 3, 3, {});
    const std::string& state = line.args[2];
    if (!kPairStates.count(state)) fail(line, "invalid BCV pair state \"" + state + "\"");
    if (line.keyword == "pair") return addPair(line, line.args[0], line.args[1], state);
    auto stds = range(line, line.args[0]);
    uint64_t bcv = 0;
    if (!parseHex(line.args[1], &bcv)) fail(line, "invalid BCV device \"" + line.args[1] + "\"");
    for (uint64_t n = stds.first; n <= stds.second; ++n)
      addPair(line, deviceName(n), deviceName(bcv + n - stds.first), state);
  }

  void applySession(const Line& line) {
    expect(line, 3, 3, {});
    bool clone = line.keyword == "clone";
    const std::string& state = line.args[2];
    if (!(clone ? kCloneStates : kSnapStates).count(state))
      fail(line, "invalid " + line.keyword + " session state \"" + state + "\"");
    auto src = device(line, line.args[0]);
    auto tgt = device(line, line.args[1]);
    if (src.second == "vdev") fail(line, "a virtual device cannot be a session source");
    if (clone == (tgt.second == "vdev"))
      fail(line, clone ? "a clone target cannot be a virtual device"
                       : "a snap target must be a virtual device");
    Statement st(db_,
                 "INSERT INTO sessions(kind, src_id, tgt_id, state, last_action, started) "
                 "VALUES(?, ?, ?, ?, 'Create', 0)");
    st.bind(1, line.keyword).bind(2, src.first).bind(3, tgt.first).bind(4, state).run();
  }

  int64_t hbaId(const Line& line, const std::string& wwn) {
    Statement st(db_, "SELECT id FROM hbas WHERE wwn = ?");
    st.bind(1, canonicalWwn(wwn));
    if (!st.step()) fail(line, "HBA " + wwn + " is not declared by an \"hba\" line");
    return st.integer(0);
  }

  void applyLogin(const Line& line) {
    expect(line, 2, 64, {"logged_in", "on_fabric", "registered"});
    int64_t hba = hbaId(line, line.args[0]);
    Statement st(
        db_,
        "INSERT OR REPLACE INTO logins(port_id, hba_id, logged_in, on_fabric) VALUES(?, ?, ?, ?)");
    for (size_t i = 1; i < line.args.size(); ++i)
      st.bind(1, portId(line, line.args[i]))
          .bind(2, hba)
          .bind(3, flag(line, "logged_in", true) ? 1 : 0)
          .bind(4, flag(line, "on_fabric", true) ? 1 : 0)
          .run();
    if (flag(line, "registered", true)) {
      Statement al(
          db_, "INSERT OR IGNORE INTO aliases(array_id, wwn, node, port) VALUES(?, ?, NULL, NULL)");
      al.bind(1, arrayId_).bind(2, canonicalWwn(line.args[0])).run();
    }
  }

  void applyAlias(const Line& line) {
    expect(line, 1, 1, {"node", "port"});
    std::string node = option(line, "node", "");
    std::string port = option(line, "port", "");
    Statement st(db_,
                 "INSERT OR REPLACE INTO aliases(array_id, wwn, node, port) VALUES(?, ?, ?, ?)");
    st.bind(1, arrayId_)
        .bind(2, canonicalWwn(line.args[0]))
        .bind(3, node.empty() ? nullptr : node.c_str())
        .bind(4, port.empty() ? nullptr : port.c_str())
        .run();
  }

  void applyMask(const Line& line) {
    expect(line, 3, 3, {});
    std::string wwn = canonicalWwn(line.args[0]);
    int64_t port = portId(line, line.args[1]);
    Statement rec(db_, "INSERT OR IGNORE INTO maskdb(port_id, wwn) VALUES(?, ?)");
    rec.bind(1, port).bind(2, wwn).run();
    Statement find(db_, "SELECT id FROM maskdb WHERE port_id = ? AND wwn = ?");
    find.bind(1, port).bind(2, wwn);
    find.step();
    int64_t record = find.integer(0);
    Statement mapped(db_, "SELECT 1 FROM device_ports WHERE device_id = ? AND port_id = ?");
    Statement add(db_,
                  "INSERT OR IGNORE INTO mask_devs(record_id, device_id, pending) VALUES(?, ?, 0)");
    for (const std::string& item : split(line.args[2], ',')) {
      auto r = range(line, item);
      for (uint64_t n = r.first; n <= r.second; ++n) {
        auto d = device(line, deviceName(n));
        mapped.bind(1, d.first).bind(2, port);
        bool ok = mapped.step();
        mapped.reset();
        if (!ok) fail(line, "device " + deviceName(n) + " is not mapped to " + line.args[1]);
        add.bind(1, record).bind(2, d.first).run();
      }
    }
  }

  void applyLock(const Line& line) {
    expect(line, 1, 1, {"holder"});
    int64_t n = number(line, line.args[0], "lock number");
    if (n > 15) fail(line, "lock numbers run from 0 to 15");
    Statement st(
        db_, "INSERT OR REPLACE INTO locks(array_id, number, holder, since) VALUES(?, ?, ?, 0)");
    st.bind(1, arrayId_).bind(2, n).bind(3, option(line, "holder", "scenario")).run();
  }

  Database& db_;
  std::string source_;
  int64_t hostId_ = 0;
  int64_t arrayId_ = 0;
  std::map<std::string, int64_t> ports_;                            // "4A:0" -> id
  std::map<std::string, std::pair<int64_t, std::string>> devices_;  // name -> id, type
  std::map<int64_t, int64_t> lun_;                                  // port id -> next LUN
};

}  // namespace

void loadScenario(Database& db, const std::string& text, const std::string& source) {
  Transaction tx(db);
  createSchema(db);
  for (const SettingInfo& s : allSettings()) setSetting(db, s.key, s.fallback);
  Loader loader(db, source);
  loader.load(text);
  if (db.scalar("SELECT count(*) FROM arrays", 0) == 0)
    throw ScenarioError(source + ": the scenario defines no array");
  tx.commit();
}

}  // namespace symsim
