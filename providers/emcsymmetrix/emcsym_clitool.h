// CEmcSymCliTool: the provider's one gateway to the SYMCLI tools. Every
// operation builds a command line from a tool name and its arguments and
// runs it with execSymCLI, which starts "<SYMCLI bin directory>/<tool>" as
// a child process under the process-wide CLI execution lock and copes with
// a busy gatekeeper by waiting, retrying and finally releasing the array's
// symcfg locks. Reading commands ask for XML output (the process-wide
// output-format suffix), trim it to the document (cleanXML) and parse it
// with one of the SYMCLI output handlers.
//
// The operations fall in three groups, each in a source file of its own:
// the runner (emcsym_clitool.cpp), inventory, device and host queries and
// masking (emcsym_clitool_inventory.cpp, emcsym_clitool_masking.cpp), and
// the TimeFinder copy methods (emcsym_clitool_timefinder.cpp).
//
// A tool object is cheap: make one wherever commands must run. Any thread
// may use its own tool object; the child runs are serialised by the lock.
//
// The CLI execution lock is the platform's semaphore of key 2004
// (CFiSemaphore), shared with every process of every user that uses the
// same key. The environment variable QUELB_CLI_LOCK_KEY, read once when the
// lock is first needed, replaces the key: a decimal key of its own, or 0
// for a semaphore private to this process (which tests use, so that
// parallel test processes do not wait for each other and no system-wide
// semaphore is left behind). A value that is not a decimal number is
// ignored. No command runs without the lock: a lock that cannot be taken
// (for example a semaphore of the key that this user may not use) ends the
// command with a CFiError that names the key and the system's reason.
//
// The tools are started under their names with the platform's executable
// suffix (FI_EXE_SUFFIX: none on POSIX systems, ".exe" on Windows).
#ifndef EMCSYM_CLITOOL_H
#define EMCSYM_CLITOOL_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cfiexecpipebase.h"
#include "cfisaxhandler.h"
#include "cfisemaphore.h"
#include "cfitraceable.h"
#include "cfitstring.h"
#include "emcsym_clierror.h"
#include "emcsym_clifailure.h"
#include "emcsym_records.h"
#include "emcsym_retrybudget.h"

class CEmcSymCliTool : public virtual quelb_pdk_4_4::CFiTraceable {
 public:
  typedef std::vector<std::string> Lines;
  // Symmetrix ID -> device pair file of that array; commands run in key order.
  typedef std::map<std::string, std::string> PairFileMap;
  // Symmetrix ID -> symcfg lock numbers held on that array.
  typedef std::map<std::string, std::set<int> > LockMap;

  // Time-out of every command but the restore, in seconds. execSymCLI
  // replaces it with CLI_TIMEOUT_IN_SEC of TUNING_PARAMS when that is set
  // (read once per tool object), so that a site, or a test, can shorten it.
  static const uint32_t DEFAULT_TIMEOUT_SEC = 600;
  // The IPC key of the CLI execution lock.
  static const int CLI_LOCK_KEY = 2004;

  // What one command may print before it is stopped (QLB_EXEC_PIPE_OUTPUT_LIMIT,
  // never retried). The largest output the provider reads is the device
  // listing of a full array: 65,536 devices, a few lines of well under
  // 1 KiB each per device, some tens of MiB in all. The limits leave ample
  // room above that and stop a tool gone wrong before its output costs the
  // process more than a few hundred MiB: stored lines take their bytes plus
  // a string object each (32 bytes), so the line count is bounded too.
  static constexpr std::size_t MAX_OUTPUT_BYTES = 128u * 1024 * 1024;
  static constexpr std::size_t MAX_OUTPUT_LINE_BYTES = 1024 * 1024;
  static constexpr std::size_t MAX_OUTPUT_LINES = 2u * 1024 * 1024;

  // The split types: the names of the three TimeFinder methods.
  static const wchar_t* const SPLIT_TYPE_CLONE;   // "EMC_TimeFinder_Clone"
  static const wchar_t* const SPLIT_TYPE_SNAP;    // "EMC_TimeFinder_Snap"
  static const wchar_t* const SPLIT_TYPE_MIRROR;  // "EMC_TimeFinder_Mirror"

  // `symCliBinDir` is the directory of the SYMCLI executables; the path
  // separator is added when it does not end in one. Traces go to `traceLog`, if any.
  explicit CEmcSymCliTool(
      const quelb_pdk_4_4::tstring& symCliBinDir,
      const quelb_pdk_4_4::CFiTraceLogPtr& traceLog = quelb_pdk_4_4::CFiTraceLogPtr());
  ~CEmcSymCliTool() override;

  CEmcSymCliTool(const CEmcSymCliTool&) = delete;
  CEmcSymCliTool& operator=(const CEmcSymCliTool&) = delete;

  const std::string& getSymCliBinDir() const { return m_binDir; }

  // --- The output-format suffix ------------------------------------------
  // Appended (blanks included) to every command that asks for XML:
  // " -output XML_ATTRIBUTE " until start-up has checked the SYMCLI version
  // and chosen the form. Process-wide.
  static std::string getOutputFormatSuffix();
  static void setOutputFormatSuffix(const std::string& suffix);

  // --- The runner ----------------------------------------------------------
  // Runs `command` ("<tool> <arguments>", e.g. L"symcfg list ") as
  // "\"<bin dir><tool>\"  <arguments>"; `output` receives its lines.
  // Returns the pipe's result code (0 success). With throwOnError a failure
  // is thrown instead: the pipe's last error, which after a read time-out
  // is the record of the close that stopped the child (code
  // QLB_EXEC_PIPE_CMD_FAILED, exit status 1067), not the time-out itself,
  // and for a child that could not be started the cause the pipe recorded
  // (QLB_EXEC_PIPE_CREATE_CHILD_PROCESS_FAILED with the system's reason, or
  // the user switch's failure). A CLI execution lock that cannot be taken
  // throws CFiError and runs nothing.
  // With retryOnGatekeeperLock a failure that shows a locked gatekeeper
  // (no output, or one of the four gatekeeper messages) is retried
  // LOCK_RETRY_ATTEMPTS times LOCK_RETRY_DELAY_IN_SEC apart; if the
  // gatekeeper stays locked, the symcfg locks of the arrays are released
  // and the command runs once more. On purpose, commands that run while
  // those locks are being released do not start another release of their
  // own (their failure is final): a release must not recurse into itself.
  // Output beyond the MAX_OUTPUT_* limits stops the run at once with
  // QLB_EXEC_PIPE_OUTPUT_LIMIT (the pipe's message names the limit), never
  // retried. A failure traces the first lines of the output
  // (CEmcSymCliException::QUOTED_LINES), not all of it.
  //
  // Retries are bounded per tool object, that is per operation
  // (CEmcSymRetryBudget: 200 retry runs, 600 s); reaching a bound throws
  // CEmcSymCliException ("[execSymCLI]") naming it. Inside the retries of
  // another command (a refresh, an add, the HBA discovery) a command does
  // not retry on its own, and the forced lock release runs at most once
  // per tool: the outer retries already repeat it, and nesting them would
  // multiply the runs.
  //
  // A failure is thrown as EEmcSymCliFailure (an EFiExecPipe that also
  // holds the first lines of the output), and kept: lastFailure() is the
  // record of the last failed run of this tool, so that a caller that goes
  // on after a failure can still show its cause (EEmcSymCliFailure::push as
  // a warning).
  int execSymCLI(const std::wstring& command, Lines& output, bool throwOnError,
                 bool retryOnGatekeeperLock, uint32_t timeoutSec);
  const EEmcSymCliFailure& lastFailure() const { return m_lastFailure; }
  // How many failures this tool has recorded (failed runs and outputs that
  // could not be read); a caller compares it before and after a step to
  // learn whether lastFailure() belongs to that step.
  int failureCount() const { return m_failureCount; }

  // Blanks every line before the one holding "<?xml" and after the first
  // one holding "</SymCLI_ML". Throws CEmcSymCliException ("[cleanXML]")
  // when either line is missing.
  void cleanXML(const std::wstring& command, Lines& lines);

  // True when a line contains `text`.
  static bool findError(const Lines& lines, const std::string& text);

  // The symcfg locks held on every locally attached array (arrays without
  // locks are left out). Empty when the locks cannot be listed.
  LockMap symCfgGetLockList();
  // Releases one symcfg lock; the runner's result code.
  int symCfgReleaseLock(const std::string& symid, int lockNumber);

  // --- Inventory, devices, hosts -----------------------------------------
  // symcfg discover. Throws EFiExecPipe on failure.
  int symCfgDiscover();
  // The locally attached arrays. Output that cannot be parsed is thrown as
  // CEmcSymCliException ("[parseXML]", with the output), so that start-up
  // names the cause instead of reporting that no array is attached.
  std::vector<SEmcSymArrayInfo> getSymmetrixList();
  // Sums of the available and total megabytes of the array's disks, each
  // value added as its decimal conversion gives it (a negative one lowers
  // the sum, text that is no number adds 0). 0, or the failed command's
  // result code (3 for output that cannot be read). lastFailure() holds
  // the cause of a non-zero result (an unreadable output is recorded with
  // code QLB_EXEC_PIPE_SUCCESS and the output).
  int getSymmetrixSize(const std::string& symid, uint64_t& availableMegabytes,
                       uint64_t& totalMegabytes);
  // The version text of "symcli -output XML" (e.g. "V7.0.0.0"); output
  // that cannot be parsed is thrown as CEmcSymCliException ("[parseXML]").
  std::string getSymCliVersion();

  // Host node names of the array's masking database, without repeats.
  // Empty when the command fails or its output cannot be parsed.
  std::vector<std::string> symMaskdbListDatabase(const std::string& symid);
  // Host node name -> its host port names in the masking database.
  std::map<std::string, std::vector<std::string> > getHostMap(const std::string& symid);
  // Host node name -> the host's logins at the array. Returns 0, the
  // failed command's result code, or 3 for output that cannot be read;
  // lastFailure() then holds the cause (an unreadable output with code
  // QLB_EXEC_PIPE_SUCCESS). Output without a document still throws.
  int getHostLoginMap(const std::string& symid, std::map<std::string, SEmcSymMaskHostInfo>& hosts);

  // The array's fibre devices without BCVs, or with `verbose` every device
  // in full.
  // A deque: the records the handler built are handed over, not copied.
  // Output that cannot be parsed is thrown as CEmcSymCliException
  // ("[parseXML]"): an unreadable listing is no empty array.
  void getSymDevList(const std::string& symid, EmcSymDevList& devices, bool verbose);
  // The record of one device; an empty record when the output holds none.
  SEmcSymDevInfo getSymDev(const std::string& symid, const std::string& devName);
  // The masking-database assignments of a device; empty when it has none
  // and when they cannot be read. `unread` (when given) tells the two
  // apart: true when the command failed for another reason than the device
  // having no assignment, or its output could not be read (no document
  // included); lastFailure() then holds the cause.
  std::vector<SEmcSymAssignment> getDevAssignmentMap(const std::string& symid,
                                                     const std::string& devName,
                                                     bool* unread = nullptr);

  // Registers this host's HBAs under its name at the arrays (symmask
  // discover hba -rename), retrying with array discovery and refresh of
  // `symid`. The HBA records the last run printed, even when it failed;
  // empty when a failed run printed no document.
  std::vector<SEmcSymHbaInfo> symMaskDiscoverHba(const std::string& symid);
  // The HBA records of `symid` that belong to the host (this host when
  // `hostName` is empty).
  std::vector<SEmcSymHbaInfo> validateHostName(const std::string& symid,
                                               const std::string& hostName);
  // The originator port WWNs the array has for the host. A host name
  // longer than 16 characters is looked up as the array registers it:
  // "HOST." and the host's address from its second number on.
  std::vector<std::string> symGetHbaList(const std::string& symid, const std::string& hostName);
  // The director ports the array is connected to at the host's address.
  std::vector<SEmcSymDirectorPort> symGetDirectorPortList(const std::string& symid,
                                                          const std::string& hostName);
  // The host's logins, built from symGetHbaList and symGetDirectorPortList:
  // one per HBA WWN, each seen through every connected director port. An
  // empty record when either list is empty.
  SEmcSymMaskHostInfo GetHostInfo(const std::string& symid, const std::string& hostName);
  // This host's HBAs and their director ports from "symmask list hba":
  // `hbas` gets one record per WWN (symid and WWN set), `hostInfo` one
  // login per WWN. 0, the failed command's result code, or 3 for output
  // that cannot be read (lastFailure() holds the cause of either).
  int GetHostInfo(const std::string& symid, std::vector<SEmcSymHbaInfo>& hbas,
                  SEmcSymMaskHostInfo& hostInfo);
  // The logins of the host whose short name (up to the first ".") matches,
  // or whose address matches. 0, or 19 when no host matches.
  int getHostLoginInfo(const std::string& symid, const std::string& hostName,
                       SEmcSymMaskHostInfo& hostInfo);

  // --- Masking ---------------------------------------------------------------
  // Adds the device for every HBA WWN on every director port of the device.
  // 0 when at least one of those combinations is reachable by its HBA
  // (hostInfo) and was added; 3 when none was; the command's result code
  // when the gatekeeper stayed locked for 10 attempts of one add.
  // `failedAdds` (when given) gets the HBA WWN and the failed run of every
  // add that failed for good and was passed over for the next combination,
  // so that a caller whose add succeeded through another path can still
  // say which path is missing.
  typedef std::vector<std::pair<std::string, EEmcSymCliFailure> > FailedAdds;
  int symMaskAdd(const SEmcSymDevInfo& device, const std::vector<std::string>& hbaWwns,
                 const SEmcSymMaskHostInfo& hostInfo, FailedAdds* failedAdds = nullptr);
  // Removes one assignment, pauses 1 s and refreshes its array. 0 when
  // both succeeded; otherwise the result of the step that failed first,
  // and *failedStep (when given) is "remove" or "refresh" with
  // lastFailure() holding its cause. The caller decides whether a failure
  // ends its operation; the device may still be visible to that HBA.
  int symMaskRemove(const SEmcSymAssignment& assignment, const char** failedStep = nullptr);
  // Refreshes the masking view of `symid` (all arrays when empty), retrying
  // with the tuning parameters. 0, or the last run's result code.
  int symMaskRefresh(const std::string& symid);
  // The device name of a configured target: the text after its last "##".
  // Throws CEmcSymCliException ("[findConfiguredTarget]") without "##".
  std::string findConfiguredTarget(const std::wstring& configuredTarget);

  // --- TimeFinder --------------------------------------------------------------
  // One command per array of the map, in map order (snap: create, then
  // activate). Failures are thrown as EFiExecPipe.
  void symSnapCreate(const PairFileMap& pairFiles);
  void symMirSplit(const PairFileMap& pairFiles);
  void symCloneCreate(const PairFileMap& pairFiles);
  // The BCV pairs of every array's pair file, in map order.
  std::vector<SEmcSymPairInfo> getStatusOfPairs(const PairFileMap& pairFiles);

  // State polls over parallel lists of array ids and pair files: each
  // queries array i and looks at the first record: in progress starts
  // again at the first array, done moves to the next, anything else
  // (also no record at all) fails. True when every array is done.
  // symMirQuery: "PREPARE"/"DELETE" wait for "Synchronized", "RESTORE" for
  // "Restored"; any other word fails at the first record.
  bool symMirQuery(const Lines& symids, const Lines& pairFiles, const std::wstring& operation);
  bool symMirQuerySplit(const Lines& symids, const Lines& pairFiles);
  bool symCloneQueryCopied(const Lines& symids, const Lines& pairFiles);
  bool symCloneQueryRestored(const Lines& symids, const Lines& pairFiles);
  bool symSnapQueryRestored(const Lines& symids, const Lines& pairFiles);

  // Splits one clone pair through a pair file of its own; 0 on success.
  int symCloneSplit(const SEmcSymDevInfo& source, const SEmcSymDevInfo& target);
  // Establishes the BCV pairs of every array, then waits until every pair
  // (sources[i], targets[i]) reaches the state of `operation`. Throws
  // CEmcSymCliException ("[symMirEstablish]") when a pair does not.
  void symMirEstablish(const PairFileMap& pairFiles, const std::vector<SEmcSymDevInfo>& sources,
                       const std::vector<SEmcSymDevInfo>& targets, const std::wstring& operation);
  // Brings the pairs (sources[i], targets[i]) into a state from which the
  // split type can restore: restored clone pairs are split, synchronised
  // or restored BCV pairs are split and waited for. False when a pair is
  // in a state that cannot be restored from.
  bool prepareForRestore(const std::wstring& splitType, const std::vector<SEmcSymDevInfo>& sources,
                         const std::vector<SEmcSymDevInfo>& targets);
  // Restores the sources from their copies and waits for it, then leaves
  // the pairs split (clone, mirror) or the snap sessions terminated with
  // the targets ready. Throws CEmcSymCliException ("[restoreFromCopy]") on
  // failure.
  void restoreFromCopy(const std::wstring& splitType, const PairFileMap& pairFiles,
                       const std::vector<SEmcSymDevInfo>& sources,
                       const std::vector<SEmcSymDevInfo>& targets);
  // Terminates the clone or snap sessions of every array (no command for a
  // mirror). Every array is tried; 0, or the result of the last terminate
  // that failed (lastFailure() holds its cause).
  int deleteCopy(const std::wstring& splitType, const PairFileMap& pairFiles);
  // True when a failed terminate only found no session of its kind for a
  // pair of its file: the normal end of a clean-up before a new session,
  // not a session left behind.
  static bool foundNoSession(const EEmcSymCliFailure& failure);
  // The method that copies source to target: a clone session of the pair
  // on the source, else a snap session, else a split BCV pair. Throws
  // CEmcSymCliException ("[determineSplitType]") when none applies.
  bool determineSplitType(const SEmcSymDevInfo& source, const SEmcSymDevInfo& target,
                          std::wstring& splitType);

 protected:
  // Makes the pipe of one execSymCLI call (auto-close on). Tests replace it.
  virtual std::unique_ptr<quelb_pdk_4_4::CFiExecPipeBase> createPipe();
  // The CLI execution lock: the process-wide one, made on first use. Tests
  // replace it.
  virtual quelb_pdk_4_4::CFiSemaphore& cliExecutionLock();

 private:
  // One run of `fullCommand` under the CLI execution lock.
  int runLocked(quelb_pdk_4_4::CFiExecPipeBase& pipe, const std::string& fullCommand, Lines& output,
                uint32_t timeoutSec);
  // "\"<bin dir><tool>\"  <arguments>" of a command.
  std::string fullCommand(const std::wstring& command) const;
  // execSymCLI (status kept, time-out DEFAULT_TIMEOUT_SEC) with a pipe
  // failure returned as its code instead of thrown.
  int execSymCLIStatus(const std::wstring& command, Lines& output);
  // Whether a failed command's output shows a locked gatekeeper.
  bool isGatekeeperLocked(const Lines& output);
  // Releases the listed symcfg locks, or locks 1 to 15 of every array.
  void releaseGatekeeperLocks();
  // The retry budget (emcsym_retrybudget.h): a pause between retries, and
  // the count of one retry run. Both throw when a bound is reached.
  void retryPause(unsigned long ms);
  void takeRetryRun();
  // Charges the time since `from` (a retry run's start) to the budget.
  void chargeRetryTime(std::chrono::steady_clock::time_point from);
  // Throws the CEmcSymCliException of a reached bound.
  [[noreturn]] void retryBoundReached() const;
  // Marks the retries of an outer command for the life of a scope: the
  // commands run inside count as retry runs and do not retry on their own.
  class RetryScope {
   public:
    explicit RetryScope(CEmcSymCliTool& tool) : m_tool(tool) { ++m_tool.m_retryDepth; }
    ~RetryScope() { --m_tool.m_retryDepth; }
    RetryScope(const RetryScope&) = delete;
    RetryScope& operator=(const RetryScope&) = delete;

   private:
    CEmcSymCliTool& m_tool;
  };
  bool insideRetries() const { return m_retryDepth > 0 || m_releasingLocks; }
  // Trims the output to its document and parses it with `handler`. False,
  // traced with `what`, when the reader or the handler reports an error;
  // cleanXML's exception passes on.
  bool parseOutput(const std::wstring& command, Lines& output,
                   quelb_pdk_4_4::CFiSaxParseHandler& handler, const char* what);
  // parseOutput's work: empty, or the reason the output cannot be parsed.
  std::string parseFailure(const std::wstring& command, Lines& output,
                           quelb_pdk_4_4::CFiSaxParseHandler& handler, const char* what);
  // As parseOutput, but a parse error is thrown as CEmcSymCliException
  // ("[parseXML] (<the reader's or handler's error>)") raised at `line`.
  void parseOutputOrThrow(const std::wstring& command, Lines& output,
                          quelb_pdk_4_4::CFiSaxParseHandler& handler, int line);
  // Keeps `failure` as lastFailure() and counts it.
  void recordFailure(const EEmcSymCliFailure& failure);
  // Records output of `command` that could not be read (code
  // QLB_EXEC_PIPE_SUCCESS, the output as it was printed).
  void recordUnreadable(const std::wstring& command, const Lines& output);

  // One query of the state polls: the state of the first record, and how
  // far its copy is (", 40% copied", or empty when the output does not
  // say).
  bool queryFirstState(const char* tool, const std::string& symid, const std::string& pairFile,
                       std::string& state, std::string& progress);
  // The poll loop; on failure `badState` is the state that ended it. Each
  // query traces (level 3) a line "Waiting for <tool> pairs to reach
  // <state>: ..." that hosts show as progress.
  bool pollState(const char* tool, const Lines& symids, const Lines& pairFiles,
                 const std::string& inProgress, const std::string& done, std::string& badState);
  // Runs "<tool> -sid S -file F<action>" for every array of the map; 0, or
  // the result of the last run that failed.
  int runPerArray(const char* tool, const PairFileMap& pairFiles, const std::string& action,
                  bool throwOnError);
  // symCfgDiscover inside the retries of other commands: a failure is
  // traced and does not end them.
  void discoverArrays();
  // One masking add with its gatekeeper retries; sets *gatekeeperFailed
  // when the gatekeeper stayed locked.
  int runMaskAdd(const std::wstring& command, bool* gatekeeperFailed);
  bool splitMirrorPairsForRestore(const std::vector<SEmcSymDevInfo>& sources);
  // Traces a failed check at level 1 and keeps its text for the exception
  // that ends the operation (its where text), so that the user reads the
  // check and not only the operation's name.
  void traceCheck(const char* format, ...) BT_PRINTF(2, 3);
  // The exception of an operation whose last traced check failed.
  CEmcSymCliException checkFailed(const wchar_t* operation, const char* sourceFile, int line) const;

  std::string m_binDir;
  // While this tool releases gatekeeper locks, the commands it runs for
  // that do not start another release. A member, not a thread-local flag:
  // a tool object serves one thread, and the leak checker of the sanitizer
  // runtime (GCC 12, glibc 2.36) misreads the dynamic TLS of a dlopen'd
  // library and aborts.
  bool m_releasingLocks;
  uint32_t m_commandTimeoutSec;  // 0 until read from the configuration
  EEmcSymCliFailure m_lastFailure;
  int m_failureCount = 0;
  CEmcSymRetryBudget m_retryBudget;
  // How many RetryScopes are open.
  int m_retryDepth = 0;
  // Whether this tool has already released the gatekeeper locks.
  bool m_locksReleased = false;
  // The check that failed last (traceCheck), for the exceptions of the
  // operations.
  std::string m_failedCheck;
};

#endif  // EMCSYM_CLITOOL_H
