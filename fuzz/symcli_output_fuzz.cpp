// libFuzzer target: what the provider makes of a SYMCLI tool's output.
// The output is cut into lines as the pipe delivers them, optionally
// trimmed to its document by cleanXML, and parsed by one of the sixteen
// output handlers (the selector's low four bits), whose result is then
// read. Every outcome but a crash, a leak or undefined behaviour is fine:
// unusable output must end in CEmcSymCliException or SAXParseException.
#include <xercesc/sax/SAXException.hpp>

#include "cfisaxparser.h"
#include "emcsym_clierror.h"
#include "emcsym_clitool.h"
#include "emcsym_handlers.h"
#include "fuzz_util.h"

namespace {

// Parses the lines with a fresh handler of type H and reads its result.
template <class H>
void parseWith(const std::vector<std::string>& lines) {
  H handler;
  {
    quelb_pdk_4_4::CFiSaxParser parser(&handler);
    parser.parse(lines);
  }
  (void)handler.getResult();
}

using Parse = void (*)(const std::vector<std::string>&);
const Parse kHandlers[16] = {
    parseWith<CEmcSymLockQueryHandler>,
    parseWith<CEmcSymMirQueryHandler>,
    parseWith<CEmcSymMaskdbListDatabaseHandler>,
    parseWith<CEmcSymVersionHandler>,
    parseWith<CEmcSymCfgListHandler>,
    parseWith<CEmcSymMaskDiskHandler>,
    parseWith<CEmcSymMaskHbaHandler>,
    parseWith<CEmcSymMaskdbListAssignmentHandler>,
    parseWith<CEmcSymDevShowHandler>,
    parseWith<CEmcSymMaskListLoginHandler>,
    parseWith<CEmcSymMaskDbHandler>,
    parseWith<CEmcSymCloneQueryHandler>,
    parseWith<CEmcSymSnapQueryHandler>,
    parseWith<CEmcSymMaskdbListCapacityHandler>,
    parseWith<CEmcSymCfgListConnectionHandler>,
    parseWith<CEmcSymMaskListHbaHandler>,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const fuzz::Input input(data, size);
  std::vector<std::string> lines = fuzz::lines(input.text);
  try {
    if (input.selector & 0x10) {
      static CEmcSymCliTool tool(L"/nonexistent/");
      const std::size_t count = lines.size();
      tool.cleanXML(L"symdev list ", lines);
      fuzz::check(lines.size() == count, "cleanXML keeps every line");
    }
    kHandlers[input.selector & 0x0F](lines);
  } catch (const CEmcSymCliException& e) {
    fuzz::check(e.getWhere() == "[cleanXML]", "only cleanXML throws the CLI exception");
    fuzz::check(e.getOutput().size() <= CEmcSymCliException::QUOTED_LINES + 1, "quoted output");
  } catch (const xercesc::SAXException&) {
    // A document the reader rejects, as the runner's callers catch it.
  }
  return 0;
}
