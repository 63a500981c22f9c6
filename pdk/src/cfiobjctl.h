// CFiObjctlArgs: the argument lists of an object-control request, read from
// and written to the small text format of `objctl`.
#ifndef QLB_PDK_CFIOBJCTL_H
#define QLB_PDK_CFIOBJCTL_H

#include <vector>

#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiObjctlArgs {
 public:
  struct Argument {
    tstring name;
    tstring value;
    tstring type;
  };

  CFiObjctlArgs() {}
  // Reads the input arguments from the text (null reads nothing).
  explicit CFiObjctlArgs(const wchar_t* text);

  const std::vector<Argument>& inputs() const { return m_inputs; }
  const std::vector<Argument>& outputs() const { return m_outputs; }
  void addOutput(const tstring& name, const tstring& value, const tstring& type);

  // The output arguments as text.
  tstring toText() const;

 private:
  std::vector<Argument> m_inputs;
  std::vector<Argument> m_outputs;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIOBJCTL_H
