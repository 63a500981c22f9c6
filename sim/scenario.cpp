#include "scenario.h"

#include <map>
#include <memory>
#include <set>

#include "boundedtext.h"
#include "errors.h"
#include "model_build.h"
#include "model_schema.h"
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
  Loader(ModelBuilder& model, const std::string& source) : model_(model), source_(source) {}

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
    model_.setSetting(w[0], trim(line.rest.substr(w[0].size())));
  }

  void applyHost(const Line& line) {
    expect(line, 1, 1, {"name", "address"});
    bool local = line.args[0] == "local";
    if (!local && line.options.count("name")) fail(line, "only the local host takes name=");
    std::string name = local ? option(line, "name", "") : line.args[0];
    hostId_ = model_.addHost(name, option(line, "address", ""), local);
  }

  void applyHba(const Line& line) {
    if (!hostId_) fail(line, "\"hba\" must follow a \"host\" line");
    expect(line, 1, 1, {"port"});
    model_.addHba(hostId_, canonicalWwn(line.args[0]), option(line, "port", ""));
  }

  void applyArray(const Line& line) {
    expect(line, 1, 2, {"model", "microcode", "cache", "discovered"});
    std::string attachment = line.args.size() > 1 ? toLower(line.args[1]) : "local";
    if (attachment != "local" && attachment != "remote")
      fail(line, "attachment must be local or remote");
    ArrayRow array;
    array.symid = line.args[0];
    array.local = attachment == "local";
    array.model = option(line, "model", "DMX4-24");
    array.microcode = option(line, "microcode", "5773");
    array.cacheMb = number(line, option(line, "cache", "65536"), "cache size");
    array.discovered = flag(line, "discovered", true);
    arrayId_ = model_.addArray(array);
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
      ports_[id] = model_.addPort(arrayId_, key, port, wwn);
    }
  }

  void applyDisks(const Line& line) {
    if (line.keyword == "disk") {
      expect(line, 1, 1, {"size", "avail"});
      int64_t size = number(line, option(line, "size", "140000"), "size");
      model_.addDisk(arrayId_, line.args[0], size,
                     number(line, option(line, "avail", "0"), "avail"));
      return;
    }
    expect(line, 1, 1, {"size", "avail"});
    int64_t count = number(line, line.args[0], "disk count");
    int64_t size = number(line, option(line, "size", "140000"), "size");
    int64_t avail = number(line, option(line, "avail", "0"), "avail");
    if (avail > size) fail(line, "avail is larger than size");
    int64_t first = model_.diskCount(arrayId_);
    for (int64_t i = first; i < first + count; ++i) {
      std::string ident = "DF-" + std::to_string(i % 16 + 1) +
                          std::string(1, static_cast<char>('A' + (i / 16) % 26)) +
                          (i >= 16 * 26 ? std::to_string(i / (16 * 26)) : "");
      model_.addDisk(arrayId_, ident, size, avail);
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

    DeviceRow row;
    row.arrayId = arrayId_;
    row.type = type;
    row.megabytes = size;
    row.pdName = pd;
    row.ldName = ld;
    row.dgroup = group;
    row.status = status == "ready" ? "Ready" : "Not Ready";
    row.attachedBcv = bcv;
    for (uint64_t n = r.first; n <= r.second; ++n) {
      row.name = deviceName(n);
      if (devices_.count(row.name)) fail(line, "device " + row.name + " declared twice");
      int64_t id = model_.addDevice(row);
      devices_[row.name] = {id, type};
      for (int64_t p : portIds) model_.mapDevice(id, p, lun_[p]++);
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
    model_.attachBcv(s.first, canonicalDevice(bcvName));
    if (state == "NeverEstab") return;
    model_.addPair(s.first, b.first, state, state == "Split" ? "Split" : "Establish");
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
    model_.addSession(line.keyword, src.first, tgt.first, state);
  }

  int64_t hbaId(const Line& line, const std::string& wwn) {
    int64_t id = model_.hbaId(canonicalWwn(wwn));
    if (!id) fail(line, "HBA " + wwn + " is not declared by an \"hba\" line");
    return id;
  }

  void applyLogin(const Line& line) {
    expect(line, 2, 64, {"logged_in", "on_fabric", "registered"});
    int64_t hba = hbaId(line, line.args[0]);
    for (size_t i = 1; i < line.args.size(); ++i)
      model_.addLogin(portId(line, line.args[i]), hba, flag(line, "logged_in", true),
                      flag(line, "on_fabric", true));
    if (flag(line, "registered", true)) model_.registerAlias(arrayId_, canonicalWwn(line.args[0]));
  }

  void applyAlias(const Line& line) {
    expect(line, 1, 1, {"node", "port"});
    model_.setAlias(arrayId_, canonicalWwn(line.args[0]), option(line, "node", ""),
                    option(line, "port", ""));
  }

  void applyMask(const Line& line) {
    expect(line, 3, 3, {});
    std::string wwn = canonicalWwn(line.args[0]);
    int64_t port = portId(line, line.args[1]);
    int64_t record = model_.maskRecord(port, wwn);
    for (const std::string& item : split(line.args[2], ',')) {
      auto r = range(line, item);
      for (uint64_t n = r.first; n <= r.second; ++n) {
        auto d = device(line, deviceName(n));
        if (!model_.deviceOnPort(d.first, port))
          fail(line, "device " + deviceName(n) + " is not mapped to " + line.args[1]);
        model_.maskDevice(record, d.first);
      }
    }
  }

  void applyLock(const Line& line) {
    expect(line, 1, 1, {"holder"});
    int64_t n = number(line, line.args[0], "lock number");
    if (n > 15) fail(line, "lock numbers run from 0 to 15");
    model_.holdLock(arrayId_, n, option(line, "holder", "scenario"));
  }

  ModelBuilder& model_;
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
  ModelBuilder model(db);
  model.reset();
  Loader loader(model, source);
  loader.load(text);
  if (model.arrayCount() == 0) throw ScenarioError(source + ": the scenario defines no array");
  tx.commit();
}

}  // namespace symsim
