// CFiObjctlArgs: the argument lists of an object-control request, read from
// and written to the small text format of `objctl`.
//
// Input text, tokens separated by blanks (names, values and types cannot
// hold blanks; quotation marks stay part of the text):
//   <OBJCTL_ARG_LIST> <OBJCTL_INPUT arg=NAME value=VALUE type=TYPE /> ... </OBJCTL_ARG_LIST>
// Output text:
//   <OBJCTL_ARG_LIST> <OBJCTL_OUTPUT arg=NAME value=VALUE type=TYPE /> ... </OBJCTL_ARG_LIST>
// (with a blank after the closing tag).
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

  CFiObjctlArgs() : m_complete(true) {}
  // Reads the input arguments from the text (null reads nothing). Reading
  // stops at the first token that is not the one the format expects; the
  // arguments read up to there are kept and complete() turns false. An
  // argument whose "/>" is missing is kept, since its three fields were
  // read.
  explicit CFiObjctlArgs(const wchar_t* text);

  const std::vector<Argument>& inputs() const { return m_inputs; }
  const std::vector<Argument>& outputs() const { return m_outputs; }
  void addOutput(const tstring& name, const tstring& value, const tstring& type);

  // True when the input text was read to its closing token.
  bool complete() const { return m_complete; }

  // The output arguments as text.
  tstring toText() const;

 private:
  void read(const wchar_t* text);

  std::vector<Argument> m_inputs;
  std::vector<Argument> m_outputs;
  bool m_complete;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIOBJCTL_H
