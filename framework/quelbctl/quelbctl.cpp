// quelbctl: a command-line host that loads a provider plug-in and drives it
// the way the Quelb framework would. `quelbctl --help` lists the commands,
// options, exit statuses and environment variables; session.h gives the
// shape of the --json answer.
#include <quelb/quelb_pgn.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command_arguments.h"
#include "copy_commands.h"
#include "host_platform.h"
#include "info_command.h"
#include "inventory_commands.h"
#include "lifecycle_commands.h"
#include "message_log.h"
#include "provider_library.h"
#include "registry_locator.h"
#include "session.h"

namespace {

// Exit statuses.
const int kSucceeded = 0;
const int kOperationFailed = 1;
const int kUsageError = 2;
const int kCannotStart = 3;

const CommandSpec* const kCommands[] = {
    &kInfoCommand,   &kEnclosuresCommand, &kNodesCommand,   &kHostsCommand,   &kSnapshotCommand,
    &kImportCommand, &kDeportCommand,     &kDisposeCommand, &kRestoreCommand,
};

const char kUsageHead[] =
    "usage: quelbctl [OPTIONS] [COMMAND [ARGUMENTS]]\n"
    "       quelbctl help [COMMAND]\n"
    "\n"
    "Loads the provider plug-in, initialises it as the framework does, runs the\n"
    "command and finalises the provider again.\n"
    "\n"
    "commands:\n";

const char kUsageTail[] =
    "\n"
    "options (before the command):\n"
    "  --json          answer with one JSON document on standard output\n"
    "  -H, --human     sizes in binary units (4.0 GiB) instead of bytes\n"
    "  --last-error    after the command, show the provider's last error of\n"
    "                  this thread (get_last_error)\n"
    "  --lang LANG     the consumer's language (e.g. de); messages are shown in\n"
    "                  it and, when the text differs, in the default language\n"
    "  -v, --verbose   also show which registry is used, the interface version,\n"
    "                  counts, how long each provider call took, and the error\n"
    "                  and warning lines the provider traces; -vv (or -v -v)\n"
    "                  every traced line\n"
    "  -q, --quiet     do not show the provider's messages\n"
    "  --lib PATH      the provider library (default: libnorvel.so of this\n"
    "                  installation, else found by the loader)\n"
    "  --prefix NAME   entry point prefix (default: norvel)\n"
    "  -h, --help      this text; COMMAND --help: the command's own\n"
    "  --version       quelbctl's version\n"
    "\n"
    "exit status:\n"
    "  0  success\n"
    "  1  an operation of the provider failed\n"
    "  2  the command line is wrong\n"
    "  3  the provider cannot start: its library, the registry file or its\n"
    "     configuration cannot be used, or its initialisation failed\n"
    "\n"
    "environment:\n"
    "  QUELB_REGISTRY          the registry file; default /etc/quelb/registry.reg,\n"
    "                          else the one of this installation\n"
    "  QUELB_INSTALL_ROOT      the framework's install root, used when the\n"
    "                          registry names no installation directory\n"
    "  QUELB_CONSUMER          the consumer name (a subkey of the registry key)\n"
    "  QUELB_CREDENTIALS_FILE  the framework's credentials text\n"
    "  QUELB_CLI_LOCK_KEY      IPC key of the lock that lets one SYMCLI command run\n"
    "                          at a time (default 2004; 0: private to the process)\n"
    "  QUELB_SLEEP_SCALE       scales the provider's waits (0: none; for tests)\n"
    "  TMPDIR                  where the provider writes its device pair files\n"
    "\n"
    "See quelbctl(1), norvel.conf(5) and docs/ of the source.\n";

struct Options {
  std::string library;
  std::string prefix = "norvel";
  std::string language;
  bool quiet = false;
  int verbosity = 0;
  bool lastError = false;
  Session::Settings settings;
  std::string command = "info";
  std::vector<std::string> arguments;
};

void printUsage() {
  std::fputs(kUsageHead, stdout);
  for (const CommandSpec* command : kCommands)
    std::printf("  %-12s %s\n", command->name, command->summary);
  std::fputs(kUsageTail, stdout);
}

const CommandSpec* findCommand(const std::string& name) {
  for (const CommandSpec* command : kCommands)
    if (name == command->name) return command;
  return nullptr;
}

void printCommandHelp(const CommandSpec& command) {
  std::printf("usage: quelbctl [OPTIONS] %s\n\n%s", command.synopsis, command.help);
}

// The directory of the running program.
std::string programDirectory(const char* argv0) {
  const std::string self = host::executablePath();
  const std::string path = self.empty() ? std::string(argv0) : self;
  const size_t slash = path.find_last_of(std::string("/") + host::separator());
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// <prefix>/bin/quelbctl -> <prefix>/lib/libnorvel.so, as installed and as built.
std::string defaultLibrary(const std::string& programDir) {
  for (const char* candidate : {"/../lib/", "/../lib/x86_64-linux-gnu/", "/"}) {
    const std::string path = programDir + candidate + QUELBCTL_DEFAULT_LIB;
    if (host::readable(path)) return path;
  }
  return QUELBCTL_DEFAULT_LIB;
}

// -1 to go on; otherwise the exit status (help, version, usage error).
int parseOptions(int argc, char** argv, Options& options, std::string& usage) {
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!rest.empty() || arg.empty() || arg[0] != '-') {
      rest.push_back(arg);
      continue;
    }
    const bool takesValue = arg == "--lib" || arg == "--prefix" || arg == "--lang";
    if (takesValue && i + 1 >= argc) {
      usage = arg + " needs a value; try 'quelbctl --help'";
      return kUsageError;
    }
    if (arg == "-h" || arg == "--help") {
      printUsage();
      return kSucceeded;
    } else if (arg == "--version") {
      std::printf("quelbctl %s\n", QUELBCTL_VERSION);
      return kSucceeded;
    } else if (arg == "--lib") {
      options.library = argv[++i];
    } else if (arg == "--prefix") {
      options.prefix = argv[++i];
    } else if (arg == "--lang") {
      options.language = argv[++i];
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "-v" || arg == "--verbose") {
      ++options.verbosity;
      options.settings.verbose = true;
    } else if (arg == "-vv") {
      options.verbosity += 2;
      options.settings.verbose = true;
    } else if (arg == "-H" || arg == "--human") {
      options.settings.human = true;
    } else if (arg == "--json") {
      options.settings.json = true;
    } else if (arg == "--last-error") {
      options.lastError = true;
    } else {
      usage = "unknown option " + arg + "; try 'quelbctl --help'";
      return kUsageError;
    }
  }
  if (!rest.empty()) {
    options.command = rest[0];
    options.arguments.assign(rest.begin() + 1, rest.end());
  }
  return -1;
}

// `quelbctl help [COMMAND]` and `COMMAND --help`: the status, or -1 when
// no help was asked for.
int helpAsked(const Options& options, std::string& usage) {
  if (options.command == "help") {
    if (options.arguments.empty()) {
      printUsage();
      return kSucceeded;
    }
    const CommandSpec* command = findCommand(options.arguments[0]);
    if (!command) {
      usage = "no command " + options.arguments[0] + "; try 'quelbctl --help'";
      return kUsageError;
    }
    printCommandHelp(*command);
    return kSucceeded;
  }
  const CommandSpec* command = findCommand(options.command);
  if (!command) return -1;
  for (const std::string& arg : options.arguments) {
    if (arg == "--help" || arg == "-h") {
      printCommandHelp(*command);
      return kSucceeded;
    }
  }
  return -1;
}

// Warns when the provider has no messages at all (it would show bare
// message ids), or none in the consumer's language (they would silently come
// in the default language). Only the language's own bundle counts: the
// provider does not fall back from de_AT to de, and takes no language that
// is not a plain locale name.
void checkMessages(const Options& options, const std::string& installDir) {
  if (installDir.empty()) return;
  const bool separated = installDir.back() == '/' || installDir.back() == host::separator();
  const std::string bundles =
      installDir + (separated ? "" : "/") + "Messages/lib" + options.prefix + "/";
  if (!host::readable(bundles + "root.res")) {
    MessageLog::instance().printError(
        "quelbctl: warning: the provider's messages are not installed (no " + bundles +
        "root.res); it shows message ids instead of texts");
    return;
  }
  if (options.language.empty()) return;
  const bool localeName = options.language.find_first_not_of(
                              "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                              "0123456789_-") == std::string::npos;
  if (localeName && host::readable(bundles + options.language + ".res")) return;
  const std::string why =
      localeName ? "no " + bundles + options.language + ".res" : "not a locale name";
  MessageLog::instance().printError("quelbctl: warning: the provider has no messages in language " +
                                    options.language + " (" + why +
                                    "); they are shown in its default language");
}

int run(Options& options, Session& session, const CommandAction& action, const char* argv0) {
  MessageLog& log = MessageLog::instance();
  const std::string programDir = programDirectory(argv0);

  RegistryLocator registry(programDir);
  if (!registry.locate()) {
    session.fail(registry.error());
    return kCannotStart;
  }
  session.note("registry " + registry.path() + " (" + registry.origin() + "), installation " +
               registry.installDir());
  if (!options.settings.json) checkMessages(options, registry.installDir());

  const std::string library =
      options.library.empty() ? defaultLibrary(programDir) : options.library;
  ProviderLibrary provider;
  if (!provider.load(library, options.prefix)) {
    session.fail(provider.error());
    if (options.verbosity > 0)
      for (const std::string& name : provider.missing())
        log.printError("quelbctl:   missing " + name);
    return kCannotStart;
  }
  session.attach(provider.entries());
  const qlb_pgn_table& pgn = provider.entries();

  qlb_locale_desc locale = {options.language.empty() ? nullptr : options.language.c_str()};
  qlb_init_rec record = {};
  record.ir_callback = &MessageLog::receive;
  record.ir_locale = &locale;
  uint16_t version[4] = {0, 0, 0, 0};
  if (session.call("init", [&] { return pgn.init(&record, version); }) != 0) {
    if (options.lastError) session.showLastError(options.language);
    pgn.fini();
    return kCannotStart;
  }
  const std::string interface = std::to_string(version[0]) + "." + std::to_string(version[1]) +
                                "." + std::to_string(version[2]) + "." + std::to_string(version[3]);
  session.setInterfaceVersion(interface);
  session.note("interface version " + interface);

  const int status = action(session);
  if (options.lastError) session.showLastError(options.language);
  pgn.fini();
  return status == 0 ? kSucceeded : kOperationFailed;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string usage;
  int status = parseOptions(argc, argv, options, usage);
  if (status < 0) status = helpAsked(options, usage);
  if (status >= 0 && usage.empty()) return status;

  Session session(options.command, options.settings);
  // The document alone goes to standard output: the provider may print
  // there (its trace file's start-up failure does).
  if (options.settings.json) session.setDocumentStream(host::divertStandardOutput());
  MessageLog::instance().configure(options.quiet, options.verbosity, options.settings.json,
                                   host::stderrIsTerminal());
  CommandAction action;
  if (usage.empty()) {
    const CommandSpec* command = findCommand(options.command);
    if (!command) {
      usage = "no command " + options.command + "; try 'quelbctl --help'";
    } else {
      action = command->prepare(options.arguments);
      if (!action) usage = usageErrorText();
    }
  }
  if (!usage.empty()) {
    // One line, also in JSON mode, where the document follows on stdout.
    if (options.settings.json) MessageLog::instance().printError("quelbctl: " + usage);
    session.fail(usage);
    return session.finish(kUsageError);
  }
  return session.finish(run(options, session, action, argv[0]));
}
