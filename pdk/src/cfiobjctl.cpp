#include "cfiobjctl.h"

#include <cwchar>
#include <vector>

namespace quelb_pdk_4_4 {

namespace {

// Splits a private copy of a text the way wcstok does: each call takes the
// next token up to one of the given delimiters, skipping leading ones.
class Tokenizer {
 public:
  explicit Tokenizer(const wchar_t* text) : m_buffer(text, text + std::wcslen(text)) {
    m_buffer.push_back(L'\0');
    m_next = m_buffer.data();
  }

  // The next token, or null when the text is used up.
  const wchar_t* next(const wchar_t* delimiters) {
    // wcstok's own three-argument form is not in every C library.
    wchar_t* token = m_next + std::wcsspn(m_next, delimiters);
    if (*token == L'\0') {
      m_next = token;
      return nullptr;
    }
    wchar_t* end = token + std::wcscspn(token, delimiters);
    m_next = end;
    if (*end != L'\0') {
      *end = L'\0';
      m_next = end + 1;
    }
    return token;
  }

  // The next token equals `expected`.
  bool expect(const wchar_t* delimiters, const wchar_t* expected) {
    const wchar_t* token = next(delimiters);
    return token && std::wcscmp(token, expected) == 0;
  }

 private:
  std::vector<wchar_t> m_buffer;
  wchar_t* m_next;
};

const wchar_t kBlank[] = L" ";
const wchar_t kEquals[] = L"=";

}  // namespace

CFiObjctlArgs::CFiObjctlArgs(const wchar_t* text) : m_complete(false) {
  if (text) read(text);
}

void CFiObjctlArgs::read(const wchar_t* text) {
  Tokenizer tokens(text);
  if (!tokens.expect(kBlank, L"<OBJCTL_ARG_LIST>")) return;
  while (const wchar_t* token = tokens.next(kBlank)) {
    if (std::wcscmp(token, L"</OBJCTL_ARG_LIST>") == 0) {
      m_complete = true;
      return;
    }
    if (std::wcscmp(token, L"<OBJCTL_INPUT") != 0) return;

    Argument argument;
    const wchar_t* field = nullptr;
    if (!tokens.expect(kEquals, L"arg") || !(field = tokens.next(kBlank))) return;
    argument.name = field;
    if (!tokens.expect(kEquals, L"value") || !(field = tokens.next(kBlank))) return;
    argument.value = field;
    if (!tokens.expect(kEquals, L"type") || !(field = tokens.next(kBlank))) return;
    argument.type = field;
    m_inputs.push_back(argument);
    if (!tokens.expect(kBlank, L"/>")) return;
  }
}

void CFiObjctlArgs::addOutput(const tstring& name, const tstring& value, const tstring& type) {
  m_outputs.push_back(Argument{name, value, type});
}

tstring CFiObjctlArgs::toText() const {
  tstring text(L"<OBJCTL_ARG_LIST>");
  for (const Argument& a : m_outputs) {
    text += L" <OBJCTL_OUTPUT arg=";
    text += a.name;
    text += L" value=";
    text += a.value;
    text += L" type=";
    text += a.type;
    text += L" />";
  }
  text += L" </OBJCTL_ARG_LIST> ";
  return text;
}

}  // namespace quelb_pdk_4_4
