// The object-control argument text.
#include <gtest/gtest.h>

#include "cfiobjctl.h"

using namespace quelb_pdk_4_4;

namespace {

std::wstring str(const tstring& t) { return std::wstring(t.c_str(), t.length()); }

TEST(Objctl, ReadsInputsInOrderAndWritesOutputs) {
  CFiObjctlArgs args(
      L"<OBJCTL_ARG_LIST> <OBJCTL_INPUT arg=n value=5 type=int /> "
      L"<OBJCTL_INPUT arg=\"path\" value=/a=b type=string /> </OBJCTL_ARG_LIST>");
  EXPECT_TRUE(args.complete());
  ASSERT_EQ(2u, args.inputs().size());
  std::wstring read;
  for (const auto& in : args.inputs())
    read += str(in.name) + L"|" + str(in.value) + L"|" + str(in.type) + L";";
  EXPECT_EQ(L"n|5|int;\"path\"|/a=b|string;", read);  // quotes stay
  EXPECT_TRUE(args.outputs().empty());

  CFiObjctlArgs out;
  out.addOutput(L"n", L"5", L"int");
  out.addOutput(L"m", L"x", L"string");
  EXPECT_EQ(
      L"<OBJCTL_ARG_LIST> <OBJCTL_OUTPUT arg=n value=5 type=int /> "
      L"<OBJCTL_OUTPUT arg=m value=x type=string /> </OBJCTL_ARG_LIST> ",
      str(out.toText()));
}

TEST(Objctl, StopsAtTheFirstUnexpectedTokenKeepingWhatWasRead) {
  const wchar_t one[] = L"<OBJCTL_ARG_LIST> <OBJCTL_INPUT arg=a value=1 type=int /> ";
  struct {
    std::wstring tail;
    size_t kept;
  } cases[] = {
      {L"<OBJCTL_INPUT name=b value=2 type=int /> </OBJCTL_ARG_LIST>", 1},  // not "arg"
      {L"<OBJCTL_INPUT arg=b val=2 type=int /> </OBJCTL_ARG_LIST>", 1},     // not "value"
      {L"<OBJCTL_INPUT arg=b value=2 kind=int /> </OBJCTL_ARG_LIST>", 1},   // not "type"
      {L"<OBJCTL_INPUT arg=b value=2 type=int > </OBJCTL_ARG_LIST>", 2},    // no "/>"
      {L"<OTHER /> </OBJCTL_ARG_LIST>", 1},                                 // unknown element
      {L"<OBJCTL_INPUT arg=b", 1},                                          // text ends
      {L"", 1},                                                             // no closing
  };
  for (const auto& c : cases) {
    CFiObjctlArgs args((one + c.tail).c_str());
    EXPECT_FALSE(args.complete()) << std::string(c.tail.begin(), c.tail.end());
    ASSERT_EQ(c.kept, args.inputs().size()) << std::string(c.tail.begin(), c.tail.end());
    EXPECT_EQ(L"a", str(args.inputs()[0].name));
  }

  CFiObjctlArgs noOpening(L"<OBJCTL_INPUT arg=a value=1 type=int /> </OBJCTL_ARG_LIST>");
  EXPECT_TRUE(noOpening.inputs().empty());
  EXPECT_FALSE(noOpening.complete());
  CFiObjctlArgs null(nullptr);
  EXPECT_TRUE(null.inputs().empty());
  EXPECT_EQ(L"<OBJCTL_ARG_LIST> </OBJCTL_ARG_LIST> ", str(null.toText()));
}

}  // namespace
