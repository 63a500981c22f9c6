// sscanf-like reading with a size for every text target.
//
// Differences from sscanf, chosen so that hostile input can never cause
// undefined behaviour:
// - A number outside the range of its target type is a matching failure
//   (nothing assigned, the scan stops); so is a minus sign on an unsigned
//   conversion (%u %x %o).
// - A %c target whose size is smaller than the width, a text target of size
//   0, a null target, and an invalid or unsupported conversion specification
//   all stop the scan; the result counts what was assigned before.
// - White space is the C locale's set (blank, \t \n \v \f \r) whatever the
//   process locale; characters are compared as unsigned bytes.
// - A null text or format returns -1.
#include <bitset>
#include <limits>
#include <type_traits>

#include "boundedtext.h"

namespace boundedtext {

namespace {

bool isSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

enum class Length { kNone, kHH, kH, kL, kLL, kZ };

// One parsed conversion specification.
struct Spec {
  bool suppress = false;
  std::size_t width = 0;  // 0: no width given
  Length length = Length::kNone;
  char conversion = 0;
  std::bitset<256> set;  // %[ only
};

enum class Outcome { kOk, kInputFailure, kMatchingFailure };

// A va_list that can be handed on by reference.
struct Args {
  std::va_list ap;
};

// Stores the number (sign and magnitude) as a T at target; false when it is
// outside T's range or the target is null.
template <class T>
bool storeAs(void* target, bool negative, unsigned long long magnitude) {
  if (!target) return false;
  const unsigned long long max = static_cast<unsigned long long>(std::numeric_limits<T>::max());
  T value;
  if (!negative) {
    if (magnitude > max) return false;
    value = static_cast<T>(magnitude);
  } else if (!std::is_signed<T>::value) {
    return false;
  } else if (magnitude == 0) {
    value = 0;
  } else {
    // -magnitude, written so that the type's minimum does not overflow.
    if (magnitude - 1 > max) return false;
    value = static_cast<T>(-static_cast<T>(magnitude - 1) - 1);
  }
  *static_cast<T*>(target) = value;
  return true;
}

class Scanner {
 public:
  Scanner(const char* text, const char* fmt, Args& args)
      : in_(reinterpret_cast<const unsigned char*>(text)),
        f_(reinterpret_cast<const unsigned char*>(fmt)),
        args_(args) {}

  int run();

 private:
  unsigned char peek() const { return in_[pos_]; }
  bool atEnd() const { return in_[pos_] == 0; }
  void skipInputSpace() {
    while (isSpace(in_[pos_])) ++pos_;
  }

  bool parseSpec(Spec& spec);
  bool parseSet(Spec& spec);
  Outcome convert(const Spec& spec);
  Outcome convertInteger(const Spec& spec);
  Outcome convertText(const Spec& spec);
  Outcome convertChars(const Spec& spec);
  bool storeInteger(const Spec& spec, bool negative, unsigned long long magnitude);
  void storeCount(const Spec& spec);

  const unsigned char* in_;
  const unsigned char* f_;
  Args& args_;
  std::size_t pos_ = 0;
  int assigned_ = 0;
};

int Scanner::run() {
  while (*f_) {
    if (isSpace(*f_)) {
      while (isSpace(*f_)) ++f_;
      skipInputSpace();
      continue;
    }
    if (*f_ != '%') {
      if (atEnd()) return assigned_ ? assigned_ : -1;
      if (peek() != *f_) return assigned_;
      ++pos_;
      ++f_;
      continue;
    }
    ++f_;
    Spec spec;
    if (!parseSpec(spec)) return assigned_;
    Outcome outcome = convert(spec);
    if (outcome == Outcome::kInputFailure) return assigned_ ? assigned_ : -1;
    if (outcome == Outcome::kMatchingFailure) return assigned_;
  }
  return assigned_;
}

// Parses what follows '%': flags, width, length and conversion. False for a
// specification this scanner does not support.
bool Scanner::parseSpec(Spec& spec) {
  if (*f_ == '*') {
    spec.suppress = true;
    ++f_;
  }
  bool hasWidth = false;
  while (*f_ >= '0' && *f_ <= '9') {
    hasWidth = true;
    std::size_t digit = static_cast<std::size_t>(*f_ - '0');
    if (spec.width > (std::numeric_limits<std::size_t>::max() - digit) / 10) return false;
    spec.width = spec.width * 10 + digit;
    ++f_;
  }
  if (hasWidth && spec.width == 0) return false;
  switch (*f_) {
    case 'h':
      ++f_;
      if (*f_ == 'h') {
        spec.length = Length::kHH;
        ++f_;
      } else {
        spec.length = Length::kH;
      }
      break;
    case 'l':
      ++f_;
      if (*f_ == 'l') {
        spec.length = Length::kLL;
        ++f_;
      } else {
        spec.length = Length::kL;
      }
      break;
    case 'z':
      ++f_;
      spec.length = Length::kZ;
      break;
    default:
      break;
  }
  spec.conversion = static_cast<char>(*f_);
  if (*f_ == 0) return false;
  ++f_;
  switch (spec.conversion) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'o':
    case 'n':
      return true;
    case '%':
      return !spec.suppress && !hasWidth && spec.length == Length::kNone;
    case 's':
    case 'c':
      return spec.length == Length::kNone;
    case '[':
      return spec.length == Length::kNone && parseSet(spec);
    default:
      return false;
  }
}

// Reads the scan set after "%[" up to its closing ']'. A ']' right after
// "[" or "[^" belongs to the set; "a-z" is a range when a <= z, otherwise
// and at either end '-' is itself a member.
bool Scanner::parseSet(Spec& spec) {
  bool negate = false;
  if (*f_ == '^') {
    negate = true;
    ++f_;
  }
  std::bitset<256> set;
  bool first = true;
  while (*f_ && (first || *f_ != ']')) {
    unsigned char lo = *f_++;
    first = false;
    if (*f_ == '-' && f_[1] && f_[1] != ']' && lo <= f_[1]) {
      unsigned char hi = f_[1];
      for (unsigned c = lo; c <= hi; ++c) set.set(c);
      f_ += 2;
    } else {
      set.set(lo);
    }
  }
  if (*f_ != ']') return false;
  ++f_;
  spec.set = negate ? ~set : set;
  spec.set.reset(0);  // the terminator never matches
  return true;
}

Outcome Scanner::convert(const Spec& spec) {
  switch (spec.conversion) {
    case '%':
      skipInputSpace();
      if (atEnd()) return Outcome::kInputFailure;
      if (peek() != '%') return Outcome::kMatchingFailure;
      ++pos_;
      return Outcome::kOk;
    case 'n':
      if (!spec.suppress) storeCount(spec);
      return Outcome::kOk;
    case 's':
    case '[':
      return convertText(spec);
    case 'c':
      return convertChars(spec);
    default:
      return convertInteger(spec);
  }
}

Outcome Scanner::convertInteger(const Spec& spec) {
  skipInputSpace();
  if (atEnd()) return Outcome::kInputFailure;
  const std::size_t limit = spec.width ? spec.width : std::numeric_limits<std::size_t>::max();
  std::size_t used = 0;
  auto at = [&](std::size_t k) -> unsigned char {
    // The character k places ahead, or 0 beyond the width or the text.
    for (std::size_t i = 0; i < k; ++i)
      if (in_[pos_ + i] == 0) return 0;
    return used + k < limit ? in_[pos_ + k] : 0;
  };
  bool negative = false;
  if (at(0) == '+' || at(0) == '-') {
    negative = at(0) == '-';
    ++pos_;
    ++used;
  }
  unsigned base = 10;
  switch (spec.conversion) {
    case 'o':
      base = 8;
      break;
    case 'x':
      base = 16;
      break;
    case 'i':
      base = 0;
      break;
    default:
      break;
  }
  // "0x" counts as a prefix only when a hex digit follows within the width.
  if ((base == 16 || base == 0) && at(0) == '0' && (at(1) == 'x' || at(1) == 'X') &&
      digitValue(at(2)) < 16) {
    base = 16;
    pos_ += 2;
    used += 2;
  } else if (base == 0) {
    base = at(0) == '0' ? 8 : 10;
  }
  unsigned long long magnitude = 0;
  bool overflow = false;
  std::size_t digits = 0;
  for (unsigned char c = at(0); digitValue(c) < static_cast<int>(base); c = at(0)) {
    unsigned d = static_cast<unsigned>(digitValue(c));
    if (magnitude > (std::numeric_limits<unsigned long long>::max() - d) / base) overflow = true;
    if (!overflow) magnitude = magnitude * base + d;
    ++pos_;
    ++used;
    ++digits;
  }
  if (digits == 0 || overflow) return Outcome::kMatchingFailure;
  if (spec.suppress) return Outcome::kOk;
  if (!storeInteger(spec, negative, magnitude)) return Outcome::kMatchingFailure;
  ++assigned_;
  return Outcome::kOk;
}

bool Scanner::storeInteger(const Spec& spec, bool negative, unsigned long long magnitude) {
  void* target = va_arg(args_.ap, void*);
  if (spec.conversion == 'd' || spec.conversion == 'i') {
    switch (spec.length) {
      case Length::kHH:
        return storeAs<signed char>(target, negative, magnitude);
      case Length::kH:
        return storeAs<short>(target, negative, magnitude);
      case Length::kNone:
        return storeAs<int>(target, negative, magnitude);
      case Length::kL:
        return storeAs<long>(target, negative, magnitude);
      case Length::kLL:
        return storeAs<long long>(target, negative, magnitude);
      case Length::kZ:
        return storeAs<std::make_signed_t<std::size_t>>(target, negative, magnitude);
    }
    return false;
  }
  switch (spec.length) {
    case Length::kHH:
      return storeAs<unsigned char>(target, negative, magnitude);
    case Length::kH:
      return storeAs<unsigned short>(target, negative, magnitude);
    case Length::kNone:
      return storeAs<unsigned int>(target, negative, magnitude);
    case Length::kL:
      return storeAs<unsigned long>(target, negative, magnitude);
    case Length::kLL:
      return storeAs<unsigned long long>(target, negative, magnitude);
    case Length::kZ:
      return storeAs<std::size_t>(target, negative, magnitude);
  }
  return false;
}

void Scanner::storeCount(const Spec& spec) {
  void* target = va_arg(args_.ap, void*);
  if (!target) return;
  // pos_ is bounded by the length of a text in memory; the narrow targets
  // take what fits, as sscanf does.
  switch (spec.length) {
    case Length::kHH:
      *static_cast<signed char*>(target) = static_cast<signed char>(pos_);
      break;
    case Length::kH:
      *static_cast<short*>(target) = static_cast<short>(pos_);
      break;
    case Length::kNone:
      *static_cast<int*>(target) = static_cast<int>(pos_);
      break;
    case Length::kL:
      *static_cast<long*>(target) = static_cast<long>(pos_);
      break;
    case Length::kLL:
      *static_cast<long long*>(target) = static_cast<long long>(pos_);
      break;
    case Length::kZ:
      *static_cast<std::size_t*>(target) = pos_;
      break;
  }
}

// %s and %[: the matching run (at most width characters) is consumed whole;
// the target gets its first size - 1 bytes and a terminator.
Outcome Scanner::convertText(const Spec& spec) {
  char* buf = nullptr;
  std::size_t size = 0;
  if (!spec.suppress) {
    buf = va_arg(args_.ap, char*);
    size = va_arg(args_.ap, std::size_t);
    if (!buf || size == 0) return Outcome::kMatchingFailure;
  }
  const bool isSet = spec.conversion == '[';
  if (!isSet) skipInputSpace();
  if (atEnd()) return Outcome::kInputFailure;
  const std::size_t limit = spec.width ? spec.width : std::numeric_limits<std::size_t>::max();
  std::size_t taken = 0;
  std::size_t stored = 0;
  while (taken < limit && !atEnd()) {
    unsigned char c = peek();
    if (isSet ? !spec.set.test(c) : isSpace(c)) break;
    if (buf && stored + 1 < size) buf[stored++] = static_cast<char>(c);
    ++pos_;
    ++taken;
  }
  if (taken == 0) return Outcome::kMatchingFailure;
  if (buf) {
    buf[stored] = '\0';
    ++assigned_;
  }
  return Outcome::kOk;
}

// %c: exactly width characters (1 without a width), white space included,
// not terminated.
Outcome Scanner::convertChars(const Spec& spec) {
  const std::size_t count = spec.width ? spec.width : 1;
  char* buf = nullptr;
  if (!spec.suppress) {
    buf = va_arg(args_.ap, char*);
    std::size_t size = va_arg(args_.ap, std::size_t);
    if (!buf || size < count) return Outcome::kMatchingFailure;
  }
  if (atEnd()) return Outcome::kInputFailure;
  std::size_t n = 0;
  while (n < count && in_[pos_ + n]) ++n;
  if (n < count) return Outcome::kInputFailure;
  for (std::size_t i = 0; buf && i < count; ++i) buf[i] = static_cast<char>(in_[pos_ + i]);
  pos_ += count;
  if (buf) ++assigned_;
  return Outcome::kOk;
}

}  // namespace

int vscan(const char* text, const char* fmt, std::va_list ap) {
  if (!text || !fmt) return -1;
  Args args;
  va_copy(args.ap, ap);
  int result = Scanner(text, fmt, args).run();
  va_end(args.ap);
  return result;
}

int scan(const char* text, const char* fmt, ...) {
  std::va_list ap;
  va_start(ap, fmt);
  int n = vscan(text, fmt, ap);
  va_end(ap);
  return n;
}

}  // namespace boundedtext
