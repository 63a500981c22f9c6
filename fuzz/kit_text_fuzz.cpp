// libFuzzer target: the short texts the kit reads from the framework and
// builds for the child processes. The selector picks the reader:
//   0 command-line splitting (the pipe's own, no shell),
//   1 device identity strings (UDID),
//   2 the attribute filter of the enumerations,
//   3 object-control arguments,
//   4 the credentials text,
//   5 a serialized message record.
// Where a reader writes what it read, the written form must read back the
// same.
#include <cstring>

#include "cfiattributefilter.h"
#include "cficredentials.h"
#include "cfiexecpipeposix.h"
#include "cfiicumessage.h"
#include "cfiobjctl.h"
#include "cfiudid.h"
#include "fuzz_util.h"

using namespace quelb_pdk_4_4;

namespace {

void splitCommandLine(const std::string& text) {
  std::vector<std::string> args;
  const bool ok = CFiExecPipePosix::SplitCommandLine(text, args);
  fuzz::check(ok != args.empty(), "a split line has arguments, a refused one none");
}

void udid(const std::string& text) {
  CFiUdid parsed;
  try {
    parsed.parse(text);
  } catch (const CFiUdidException&) {
    return;
  }
  // The written form of an identity is an identity of its own, the same.
  const std::string written = parsed.toString();
  CFiUdid again;
  try {
    again.parse(written);
  } catch (const CFiUdidException&) {
    fuzz::check(false, "a written identity parses");
  }
  fuzz::check(again.toString() == written, "a written identity reads back the same");
}

void attributeFilter(const std::wstring& text) {
  const CFiAttributeFilter filter(text.c_str());
  for (const auto& entry : filter.attributes()) {
    fuzz::check(filter.has(entry.first), "every entry is found");
    fuzz::check(filter.match(entry.first, entry.second), "every entry matches its value");
  }
}

void objctlArguments(const std::wstring& text) {
  CFiObjctlArgs args(text.c_str());
  for (const CFiObjctlArgs::Argument& in : args.inputs())
    args.addOutput(in.name, in.value, in.type);
  (void)args.toText();
}

void credentials(const std::string& text) {
  CFiCredentialsParser parser;
  std::vector<SFiCredential> found;
  parser.parse(text, "EMC", "SYMMETRIX", found, false);
  for (const SFiCredential& c : found) fuzz::check(c.isValid(), "only valid credentials");
  found.clear();
  parser.parse(text, "", "", found, true);
}

// An id the header can carry: the header reads it as one blank-free word
// and writes it within a 1024-byte piece.
bool headerCanCarry(const std::string& id) {
  if (id.empty() || id.size() > 900) return false;
  return id.find_first_of(" \t\r\n\v\f>") == std::string::npos;
}

void serializedMessage(const std::string& text) {
  std::vector<char> bytes(text.begin(), text.end());
  qlb_msg_info record = {bytes.data(), static_cast<uint32_t>(bytes.size())};
  CFiIcuMessage message(bytes.empty() ? nullptr : &record);
  const qlb_msg_info* first = message.serialize();
  const std::string once(first->mi_text, first->mi_length);
  CFiIcuMessage again(first);
  const qlb_msg_info* second = again.serialize();
  // A message without arguments serializes to nothing, its id included.
  if (message.argumentCount() == 0) {
    fuzz::check(once.empty(), "no arguments, no text");
    return;
  }
  // Serializing what was read, then reading and serializing that, is stable.
  if (!headerCanCarry(message.messageId())) return;
  fuzz::check(std::string(second->mi_text, second->mi_length) == once,
              "a serialized message reads back the same");
  fuzz::check(again.messageId() == message.messageId(), "the id survives");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const fuzz::Input input(data, size);
  switch (input.selector % 6) {
    case 0:
      splitCommandLine(input.text);
      break;
    case 1:
      udid(input.text);
      break;
    case 2:
      attributeFilter(fuzz::wide(input.text));
      break;
    case 3:
      objctlArguments(fuzz::wide(input.text));
      break;
    case 4:
      credentials(input.text);
      break;
    default:
      serializedMessage(input.text);
      break;
  }
  return 0;
}
