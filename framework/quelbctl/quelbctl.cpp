// quelbctl: a command-line host that loads a provider plug-in and drives it
// the way the Quelb framework would.
//
// Exit status: 0 success, 1 an operation of the provider failed, 2 usage
// error or the provider could not be loaded.
#include <dlfcn.h>
#include <quelb/quelb_pgn.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "copy_commands.h"
#include "inventory_commands.h"
#include "lifecycle_commands.h"
#include "provider_library.h"
#include "report.h"
#include "utf8.h"

std::string narrow(const wchar_t* text) {
  if (!text) return std::string();
  return boundedtext::wideToUtf8(text, std::wcslen(text));
}

namespace {

const char* const kUsage =
    "usage: quelbctl [options] [command]\n"
    "\n"
    "Loads a provider plug-in, initialises it as the framework does, runs the\n"
    "command and finalises the provider again.\n"
    "\n"
    "commands:\n"
    "  info                 provider information and snapshot methods (default)\n";

const char* const kUsageOptions =
    "\n"
    "options:\n"
    "  --lib PATH           the provider library (default: libnorvel.so beside\n"
    "                       quelbctl's lib directory, else found by the loader)\n"
    "  --prefix NAME        entry point prefix (default: norvel)\n"
    "  --lang LANG          the consumer's language passed in the init record;\n"
    "                       messages are shown in it and, when the text differs,\n"
    "                       in the provider's default language below\n"
    "  --last-error         after the command, print the last error the provider\n"
    "                       holds for this thread (get_last_error)\n"
    "  -v, --verbose        also print the provider's traced lines\n"
    "  -q, --quiet          do not print the provider's pushed messages\n"
    "  -h, --help           this text\n";

struct Options {
  std::string library;
  std::string prefix = "norvel";
  std::string language;
  bool quiet = false;
  bool verbose = false;
  bool lastError = false;
  std::string command = "info";
  std::vector<std::string> arguments;
};

bool g_quiet = false;
bool g_verbose = false;

void printUsage(FILE* out) {
  std::fputs(kUsage, out);
  std::fputs(kInventoryUsage, out);
  std::fputs(kLifecycleUsage, out);
  std::fputs(kCopyUsage, out);
  std::fputs(kUsageOptions, out);
}

const char* severityName(int severity) {
  switch (severity) {
    case QLB_SEV_INFO:
      return "info";
    case QLB_SEV_WARNING:
      return "warning";
    case QLB_SEV_ERROR:
      return "error";
    case QLB_SEV_TRACE:
      return "trace";
    default:
      return "message";
  }
}

std::string withoutTrailingLineEnds(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// Prints text after the prefix, its further lines indented under the first.
void printIndented(const std::string& prefix, const std::string& text) {
  const std::string indent(prefix.size(), ' ');
  size_t start = 0;
  bool first = true;
  do {
    size_t end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::fprintf(stderr, "%s%s\n", first ? prefix.c_str() : indent.c_str(), line.c_str());
    first = false;
    start = end == std::string::npos ? text.size() + 1 : end + 1;
  } while (start <= text.size());
}

// Prints a message in the consumer's language and, when it reads
// differently, in the default language under it.
void printTwoLanguages(const std::string& prefix, const std::string& consumer,
                       const std::string& fallback) {
  if (consumer.empty() || consumer == fallback) {
    printIndented(prefix, fallback);
    return;
  }
  printIndented(prefix, consumer);
  printIndented(std::string(prefix.size(), ' '), fallback);
}

// The init record's callback: every message the provider pushes. Catalog
// messages come with a consumer-language text; traced lines come with the
// default text only.
void printMessage(qlb_init_rec*, const wchar_t* consumerText, const wchar_t* defaultText,
                  int severity) {
  if (g_quiet) return;
  std::string consumer = withoutTrailingLineEnds(narrow(consumerText));
  std::string fallback = withoutTrailingLineEnds(narrow(defaultText));
  // Traced lines arrive without a consumer text. They are the provider's
  // diagnostics (even at error level, e.g. "collected information on ...");
  // what a user must see comes as a message, so lines show only with -v.
  bool tracedLine = consumer.empty();
  if (tracedLine && !g_verbose) return;
  std::string label = tracedLine ? std::string("[trace ") + severityName(severity) + "] "
                                 : std::string("[") + severityName(severity) + "] ";
  printTwoLanguages(label, consumer, fallback);
}

// The provider's text for a result code (errmsg), or empty.
std::string resultText(const qlb_pgn_table& pgn, int code) {
  const wchar_t* text = nullptr;
  if (pgn.errmsg(code, &text) != 0 || !text) return std::string();
  return narrow(text);
}

}  // namespace

void reportFailure(const qlb_pgn_table& pgn, const char* operation, int code) {
  std::string text = resultText(pgn, code);
  std::fprintf(stderr, "quelbctl: %s returned %d%s%s\n", operation, code, text.empty() ? "" : ": ",
               text.c_str());
}

namespace {

// The calling thread's last error, in the consumer's language and the
// default language: get_last_error, get_locale_message (and
// del_locale_message) per language, del_last_error.
void printLastError(const qlb_pgn_table& pgn, const std::string& language) {
  qlb_msg_info* record = nullptr;
  if (pgn.get_last_error(&record) != 0 || !record) {
    std::fprintf(stderr, "last error: none\n");
    return;
  }
  if (record->mi_length == 0) {
    // Messages without arguments cross without any text.
    std::fprintf(stderr, "last error: a message without arguments (shown above when pushed)\n");
  } else {
    std::string texts[2];
    const char* locales[2] = {language.empty() ? nullptr : language.c_str(), nullptr};
    for (int i = 0; i < 2; ++i) {
      wchar_t* text = nullptr;
      if (pgn.get_locale_message(nullptr, record, locales[i], &text) == 0 && text) {
        texts[i] = withoutTrailingLineEnds(narrow(text));
        pgn.del_locale_message(&text);
      }
    }
    printTwoLanguages("last error: ", texts[0], texts[1]);
  }
  pgn.del_last_error(&record);
}

std::string defaultLibrary(const char* argv0) {
  // <prefix>/bin/quelbctl -> <prefix>/lib/libnorvel.so, as installed and as built.
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string dir;
  if (n > 0) {
    self[n] = '\0';
    dir = self;
  } else {
    dir = argv0;
  }
  size_t slash = dir.rfind('/');
  dir = slash == std::string::npos ? "." : dir.substr(0, slash);
  for (const char* candidate : {"/../lib/", "/../lib/x86_64-linux-gnu/", "/"}) {
    std::string path = dir + candidate + QUELBCTL_DEFAULT_LIB;
    if (::access(path.c_str(), R_OK) == 0) return path;
  }
  return QUELBCTL_DEFAULT_LIB;
}

int parseOptions(int argc, char** argv, Options& options) {
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "quelbctl: %s needs a value\n", name);
        return nullptr;
      }
      return argv[++i];
    };
    if (arg == "-h" || arg == "--help") {
      printUsage(stdout);
      return 0;
    } else if (arg == "--lib") {
      const char* v = value("--lib");
      if (!v) return 2;
      options.library = v;
    } else if (arg == "--prefix") {
      const char* v = value("--prefix");
      if (!v) return 2;
      options.prefix = v;
    } else if (arg == "--lang") {
      const char* v = value("--lang");
      if (!v) return 2;
      options.language = v;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "-v" || arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--last-error") {
      options.lastError = true;
    } else if (arg.size() > 1 && arg[0] == '-' && rest.empty()) {
      std::fprintf(stderr, "quelbctl: unknown option %s\n", arg.c_str());
      printUsage(stderr);
      return 2;
    } else {
      // After the command word: the command's own options and values.
      rest.push_back(arg);
    }
  }
  if (!rest.empty()) {
    options.command = rest[0];
    options.arguments.assign(rest.begin() + 1, rest.end());
  }
  return -1;
}

void printProviderInfo(const qlb_provider_list* list) {
  for (const qlb_provider_list* p = list; p; p = p->pl_next) {
    std::printf("provider %s  interface %u.%u.%u.%u  values %ld %ld\n",
                narrow(p->pl_provider_name).c_str(), p->pl_version[0], p->pl_version[1],
                p->pl_version[2], p->pl_version[3], static_cast<long>(p->pl_value1),
                static_cast<long>(p->pl_value2));
    for (wchar_t** c = p->pl_claim_patterns; c && *c; ++c)
      std::printf("  claim pattern %s\n", narrow(*c).c_str());
  }
}

void printFims(const qlb_fim_list* list) {
  for (const qlb_fim_list* f = list; f; f = f->fl_next) {
    std::printf("snapshot method %-24s version %s  values %u %u %u %u %u %u\n",
                narrow(f->fl_name).c_str(), narrow(f->fl_version).c_str(), f->fl_value[0],
                f->fl_value[1], f->fl_value[2], f->fl_value[3], f->fl_value[4], f->fl_value[5]);
  }
}

int runInfo(const qlb_pgn_table& pgn) {
  int status = 0;
  qlb_provider_list* providers = nullptr;
  int rc = pgn.get_provider_info(&providers);
  if (rc != 0) {
    reportFailure(pgn, "get_provider_info", rc);
    status = 1;
  }
  printProviderInfo(providers);
  quelb_free_provider_list(providers);

  qlb_fim_list* fims = nullptr;
  rc = pgn.enumerate_fims(&fims);
  if (rc != 0) {
    reportFailure(pgn, "enumerate_fims", rc);
    status = 1;
  }
  printFims(fims);
  quelb_free_fim_list(fims);
  return status;
}

CommandAction prepareInfo(const std::vector<std::string>& arguments) {
  if (!arguments.empty()) {
    std::fprintf(stderr, "quelbctl: info does not take %s\n", arguments[0].c_str());
    return nullptr;
  }
  return &runInfo;
}

struct Command {
  const char* name;
  CommandAction (*prepare)(const std::vector<std::string>& arguments);
};

const Command kCommands[] = {
    {"info", &prepareInfo},     {"enclosures", &prepareEnclosures}, {"nodes", &prepareNodes},
    {"hosts", &prepareHosts},   {"snapshot", &prepareSnapshot},     {"import", &prepareImport},
    {"deport", &prepareDeport}, {"dispose", &prepareDispose},       {"restore", &prepareRestore},
};

const Command* findCommand(const std::string& name) {
  for (const Command& command : kCommands)
    if (name == command.name) return &command;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  int parsed = parseOptions(argc, argv, options);
  if (parsed >= 0) return parsed;
  g_quiet = options.quiet;
  g_verbose = options.verbose;
  const Command* command = findCommand(options.command);
  if (!command) {
    std::fprintf(stderr, "quelbctl: unknown command %s\n", options.command.c_str());
    printUsage(stderr);
    return 2;
  }
  const CommandAction action = command->prepare(options.arguments);
  if (!action) return 2;

  std::string library = options.library.empty() ? defaultLibrary(argv[0]) : options.library;
  ProviderLibrary provider;
  if (!provider.load(library, options.prefix)) {
    std::fprintf(stderr, "quelbctl: %s\n", provider.error().c_str());
    for (const std::string& name : provider.missing())
      std::fprintf(stderr, "quelbctl:   missing %s\n", name.c_str());
    return 2;
  }
  const qlb_pgn_table& pgn = provider.entries();

  qlb_locale_desc locale = {options.language.empty() ? nullptr : options.language.c_str()};
  qlb_init_rec record = {};
  record.ir_callback = &printMessage;
  record.ir_locale = &locale;
  uint16_t version[4] = {0, 0, 0, 0};
  int rc = pgn.init(&record, version);
  if (rc != 0) {
    reportFailure(pgn, "init", rc);
    if (options.lastError) printLastError(pgn, options.language);
    pgn.fini();
    return 1;
  }
  std::printf("interface version %u.%u.%u.%u\n", version[0], version[1], version[2], version[3]);

  int status = action(pgn);
  if (options.lastError) printLastError(pgn, options.language);
  pgn.fini();
  return status;
}
