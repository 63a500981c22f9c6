#include "adminreport.h"

#include <cstdio>
#include <ctime>
#include <map>

#include "boundedtext.h"
#include "faults.h"
#include "jsonquote.h"
#include "model.h"
#include "model_log.h"
#include "model_schema.h"
#include "platform.h"
#include "text.h"

namespace symsim {

namespace {

void print(const std::string& s) { std::fwrite(s.data(), 1, s.size(), stdout); }

std::string jsonList(const std::vector<std::string>& items, bool quote = true) {
  std::vector<std::string> parts;
  for (const std::string& i : items) parts.push_back(quote ? boundedtext::jsonQuote(i) : i);
  return "[" + join(parts, ",") + "]";
}

// A JSON object built field by field, in order.
class JsonObject {
 public:
  JsonObject& str(const std::string& key, const std::string& value) {
    return raw(key, boundedtext::jsonQuote(value));
  }
  JsonObject& num(const std::string& key, int64_t value) { return raw(key, std::to_string(value)); }
  JsonObject& boolean(const std::string& key, bool value) {
    return raw(key, value ? "true" : "false");
  }
  JsonObject& raw(const std::string& key, const std::string& json) {
    fields_.push_back(boundedtext::jsonQuote(key) + ":" + json);
    return *this;
  }
  std::string text() const { return "{" + join(fields_, ",") + "}"; }

 private:
  std::vector<std::string> fields_;
};

std::string portName(const std::string& director, int64_t port) {
  return directorDisplay(director) + ":" + std::to_string(port);
}

std::string timeText(double seconds) {
  time_t t = static_cast<time_t>(seconds);
  struct tm tmv;
  localTime(t, tmv);
  char buf[32];
  strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tmv);
  return buf;
}

std::string fixed(double v, int decimals) {
  return boundedtext::formatString(64, "%.*f", decimals, v);
}

std::string padRight(const std::string& s, size_t width) {
  return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

}  // namespace

std::string compressDevices(const std::vector<std::string>& names) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < names.size()) {
    uint64_t start = 0;
    if (!parseHex(names[i], &start)) {
      out.push_back(names[i++]);
      continue;
    }
    size_t j = i;
    uint64_t next = 0;
    while (j + 1 < names.size() && parseHex(names[j + 1], &next) && next == start + (j + 1 - i))
      ++j;
    out.push_back(j == i ? names[i] : names[i] + "-" + names[j]);
    i = j + 1;
  }
  return join(out, ",");
}

void printShow(Database& db, const std::string& dbPath, const std::string& sid, bool devices,
               bool json) {
  Transaction tx(db);
  Model model(db);
  std::vector<ArrayRow> arrays =
      sid.empty() ? model.arrays() : std::vector<ArrayRow>{model.findArray(sid)};
  std::string text;
  std::vector<std::string> jsonArrays, jsonPairs, jsonSessions, jsonHosts, jsonMasking;

  JsonObject settings;
  text += "Database " + dbPath + "\nSettings:";
  for (const SettingInfo& s : allSettings()) {
    std::string v = model.setting(s.key, s.fallback);
    settings.str(s.key, v);
    if (!v.empty()) text += " " + std::string(s.key) + "=" + v;
  }
  text += "\n\nArrays:\n";

  std::string pairsText, sessionsText, maskText;
  for (const ArrayRow& a : arrays) {
    std::vector<std::string> ports;
    for (const PortRow& p : model.ports(a.id))
      ports.push_back(portName(p.director, static_cast<int64_t>(p.port)));
    std::map<std::string, std::vector<std::string>> byType;
    std::vector<std::string> deviceJson;
    std::string deviceText;
    for (const DeviceRow& d : model.devices(a.id)) {
      byType[d.type].push_back(d.name);
      if (!devices) continue;
      std::vector<std::string> dp;
      for (const PortRow& p : model.devicePorts(d.id))
        dp.push_back(portName(p.director, static_cast<int64_t>(p.port)));
      deviceJson.push_back(JsonObject()
                               .str("name", d.name)
                               .str("type", d.type)
                               .num("megabytes", d.megabytes)
                               .str("status", d.status)
                               .str("group", d.dgroup)
                               .raw("ports", jsonList(dp))
                               .text());
      deviceText += "    " + d.name + "  " + padRight(d.type, 5) + " " +
                    std::to_string(d.megabytes) + " MB  " + d.status +
                    (d.dgroup.empty() ? "" : "  group " + d.dgroup) + "  " + join(dp, " ") + "\n";
    }
    std::vector<std::string> locks;
    for (const LockRow& lock : model.locks(a.id)) locks.push_back(std::to_string(lock.number));
    const int64_t disks = static_cast<int64_t>(model.disks(a.id).size());
    JsonObject counts;
    std::string countText;
    for (const char* type : {"std", "bcv", "clone", "vdev"}) {
      counts.num(type, static_cast<int64_t>(byType[type].size()));
      if (!byType[type].empty())
        countText += std::string("  ") + type + " " + compressDevices(byType[type]);
    }
    JsonObject ja;
    ja.str("symid", a.symid)
        .str("attachment", a.local ? "Local" : "Remote")
        .str("model", a.model)
        .str("microcode", a.microcode)
        .num("cache_megabytes", a.cacheMb)
        .boolean("discovered", a.discovered)
        .raw("ports", jsonList(ports))
        .num("disks", disks)
        .raw("devices", counts.text())
        .raw("locks", jsonList(locks, false));
    if (devices) ja.raw("device_list", "[" + join(deviceJson, ",") + "]");
    jsonArrays.push_back(ja.text());
    text += "  " + a.symid + "  " + (a.local ? "Local " : "Remote") + "  " + a.model +
            "  microcode " + a.microcode + (a.discovered ? "" : "  (not discovered)") +
            "\n    ports " + join(ports, " ") + "\n    " + std::to_string(disks) + " disks;" +
            countText + "\n";
    if (!locks.empty()) text += "    locks held: " + join(locks, " ") + "\n";
    text += deviceText;

    // Pairs and sessions, settled as a query would see them (without counting).
    for (CopyRow& row : model.pairsOfArray(a.id)) {
      DeviceRow s = model.deviceById(row.first), b = model.deviceById(row.second);
      CopyView v = model.observe(row, s.megabytes, false);
      jsonPairs.push_back(JsonObject()
                              .str("symid", a.symid)
                              .str("std", s.name)
                              .str("bcv", b.name)
                              .str("state", v.state)
                              .str("last_action", row.lastAction)
                              .text());
      pairsText += "  " + a.symid + "  " + s.name + " " + b.name + "  " + v.state + "\n";
    }
    for (CopyRow& row : model.sessionsOfArray(a.id)) {
      DeviceRow src = model.deviceById(row.first), tgt = model.deviceById(row.second);
      CopyView v = model.observe(row, src.megabytes, false);
      jsonSessions.push_back(JsonObject()
                                 .str("symid", a.symid)
                                 .str("kind", row.kind)
                                 .str("source", src.name)
                                 .str("target", tgt.name)
                                 .str("state", v.state)
                                 .str("last_action", row.lastAction)
                                 .text());
      sessionsText += "  " + a.symid + "  " + padRight(row.kind, 5) + " " + src.name + " " +
                      tgt.name + "  " + v.state + "\n";
    }

    for (const MaskRecordRow& record : model.maskRecords(a.id, false)) {
      std::vector<std::string> applied, added, removed;
      for (const MaskedDevice& d : model.maskedDevices(record.id, true)) {
        (d.pending == Model::kApplied ? applied
         : d.pending == Model::kAdded ? added
                                      : removed)
            .push_back(d.name);
      }
      std::string node, port;
      model.alias(a.id, record.wwn, &node, &port);
      std::string where = portName(record.director, record.port);
      jsonMasking.push_back(JsonObject()
                                .str("symid", a.symid)
                                .str("port", where)
                                .str("wwn", record.wwn)
                                .str("awwn_node_name", node)
                                .str("awwn_port_name", port)
                                .raw("devices", jsonList(applied))
                                .raw("added", jsonList(added))
                                .raw("removed", jsonList(removed))
                                .text());
      maskText += "  " + a.symid + "  " + padRight(where, 10) + " " + record.wwn + " (" + node +
                  "/" + port + "): " + (applied.empty() ? "-" : compressDevices(applied));
      if (!added.empty()) maskText += "  added, not refreshed: " + compressDevices(added);
      if (!removed.empty()) maskText += "  removed, not refreshed: " + compressDevices(removed);
      maskText += "\n";
    }
  }

  std::string hostsText;
  for (const HostRow& h : model.hosts()) {
    std::vector<std::string> wwns;
    for (const HbaRow& hba : model.hbas(h.id)) wwns.push_back(hba.wwn);
    jsonHosts.push_back(JsonObject()
                            .str("name", h.name)
                            .str("address", h.address)
                            .boolean("local", h.local)
                            .str("registered_name", model.registeredName(h))
                            .raw("hbas", jsonList(wwns))
                            .text());
    hostsText += "  " + h.name + (h.local ? " (local)" : "") + "  " +
                 (h.address.empty() ? "N/A" : h.address) + "  HBAs " + join(wwns, " ") + "\n";
  }
  tx.commit();

  if (json) {
    print(JsonObject()
              .str("database", dbPath)
              .raw("settings", settings.text())
              .raw("arrays", "[" + join(jsonArrays, ",") + "]")
              .raw("pairs", "[" + join(jsonPairs, ",") + "]")
              .raw("sessions", "[" + join(jsonSessions, ",") + "]")
              .raw("hosts", "[" + join(jsonHosts, ",") + "]")
              .raw("masking", "[" + join(jsonMasking, ",") + "]")
              .text() +
          "\n");
    return;
  }
  text += "\nBCV pairs:\n" + (pairsText.empty() ? "  none\n" : pairsText);
  text += "\nClone and snap sessions:\n" + (sessionsText.empty() ? "  none\n" : sessionsText);
  text += "\nHosts:\n" + (hostsText.empty() ? "  none\n" : hostsText);
  text += "\nMasking database:\n" + (maskText.empty() ? "  none\n" : maskText);
  print(text);
}

void printLog(Database& db, const std::string& tool, int64_t last, bool json) {
  struct Run {
    std::string json, text;
  };
  std::vector<Run> runs;
  auto orNull = [](const std::optional<std::string>& value) {
    return value ? boundedtext::jsonQuote(*value) : std::string("null");
  };
  for (const RunRow& run : loggedRuns(db, tool)) {
    const std::string exit = run.exitStatus ? std::to_string(*run.exitStatus) : "null";
    JsonObject o;
    o.num("id", run.id)
        .num("pid", run.pid)
        .str("tool", run.tool)
        .raw("args", run.argsJson)
        .raw("command", orNull(run.command))
        .raw("sid", orNull(run.symid))
        .raw("pair_file", orNull(run.pairFile))
        .raw("started", fixed(run.started, 3))
        .raw("duration_ms", run.durationMs ? fixed(*run.durationMs, 3) : "null")
        .raw("exit_status", exit)
        .raw("fault", orNull(run.fault))
        .raw("message", orNull(run.message));
    // The arguments as a command line, from the stored JSON array.
    const std::string& argsText = run.argsJson;
    std::string line;
    bool inString = false, escaped = false;
    for (char c : argsText.substr(1, argsText.size() >= 2 ? argsText.size() - 2 : 0)) {
      if (inString) {
        if (escaped) {
          line += c;
          escaped = false;
        } else if (c == '\\') {
          escaped = true;
        } else if (c == '"') {
          inString = false;
        } else {
          line += c;
        }
      } else if (c == '"') {
        inString = true;
      } else if (c == ',') {
        line += ' ';
      }
    }
    std::string t = padRight(std::to_string(run.id), 5) + timeText(run.started) + "  " +
                    padRight(run.exitStatus ? exit : "-", 4) +
                    padRight(run.durationMs ? fixed(*run.durationMs, 1) + "ms" : "-", 10) +
                    run.tool + " " + line;
    if (run.fault) t += "   [fault " + *run.fault + "]";
    t += "\n";
    if (run.pairFile) {
      std::vector<std::string> lines;
      for (const std::string& l : split(*run.pairFile, '\n'))
        if (!trim(l).empty()) lines.push_back(trim(l));
      t += "     file: " + join(lines, " | ") + "\n";
    }
    if (run.message) t += "     " + *run.message + "\n";
    runs.push_back({o.text(), t});
  }
  size_t from = last > 0 && static_cast<size_t>(last) < runs.size()
                    ? runs.size() - static_cast<size_t>(last)
                    : 0;
  std::string out;
  if (json) {
    std::vector<std::string> items;
    for (size_t i = from; i < runs.size(); ++i) items.push_back(runs[i].json);
    out = "[" + join(items, ",\n") + "]\n";
  } else {
    out = "#    started              exit duration  command\n";
    for (size_t i = from; i < runs.size(); ++i) out += runs[i].text;
  }
  print(out);
}

void printFaults(Database& db, bool json) {
  std::vector<std::string> items;
  std::string text;
  for (const Fault& f : listFaults(db)) {
    items.push_back(JsonObject()
                        .num("id", f.id)
                        .str("kind", f.kind)
                        .str("tool", f.tool)
                        .str("command", f.command)
                        .str("symid", f.symid)
                        .num("remaining", f.remaining)
                        .num("skip", f.skip)
                        .num("fired", f.fired)
                        .str("message", f.message)
                        .num("exit_status", f.exitStatus)
                        .num("ms", f.millis)
                        .num("msg", f.which)
                        .boolean("midway", f.midway)
                        .text());
    text += padRight(std::to_string(f.id), 4) + padRight(f.kind, 11) +
            "tool=" + (f.tool.empty() ? "*" : f.tool) +
            " cmd=" + (f.command.empty() ? "*" : f.command) +
            " sid=" + (f.symid.empty() ? "*" : f.symid) +
            " remaining=" + (f.remaining < 0 ? "always" : std::to_string(f.remaining)) +
            " skip=" + std::to_string(f.skip) + " fired=" + std::to_string(f.fired);
    if (f.kind == "gatekeeper")
      text += " msg=" + (f.which ? std::to_string(f.which) : std::string("none"));
    if (f.kind == "delay") text += " ms=" + std::to_string(f.millis);
    if (f.kind == "hang" && f.midway) text += " midway";
    if (f.kind == "crash" && f.midway) text += " after";
    if (f.kind == "huge" || f.kind == "longline") text += " bytes=" + std::to_string(f.millis);
    if (!f.message.empty()) text += " message=\"" + f.message + "\"";
    if (f.exitStatus) text += " exit=" + std::to_string(f.exitStatus);
    text += "\n";
  }
  Model model(db);
  for (const LockRow& lock : model.locks(0)) {
    items.push_back(JsonObject()
                        .str("kind", "lock")
                        .str("symid", lock.symid)
                        .num("lockn", lock.number)
                        .str("holder", lock.holder)
                        .text());
    text += "-   lock       sid=" + lock.symid + " lockn=" + std::to_string(lock.number) +
            " holder=\"" + lock.holder + "\"\n";
  }
  if (json)
    print("[" + join(items, ",\n") + "]\n");
  else
    print(text.empty() ? "No faults.\n" : text);
}

}  // namespace symsim
