#include "database.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace symsim {

namespace {
// Long enough to outlast any ordinary command of another process; a
// process that hangs on purpose while holding the lock is killed by whoever
// set that fault.
constexpr int kBusyTimeoutMs = 30000;
}  // namespace

Database::Database(const std::string& path, bool create) : path_(path) {
  if (!create) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
      throw DatabaseError("no simulator database at " + path + " (run \"symsim init\" first)");
  }
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw DatabaseError("cannot open database " + path + ": " + msg);
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  // Each tool run is a short-lived process; checkpointing the log at every
  // close would cost a disk flush per run. Checkpoints still happen when
  // the log grows.
  sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  exec("PRAGMA journal_mode=WAL");
  exec("PRAGMA synchronous=NORMAL");
}

Database::~Database() { sqlite3_close(db_); }

void Database::fail(const std::string& context) const {
  throw DatabaseError(context + ": " + sqlite3_errmsg(db_));
}

void Database::exec(const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : "unknown error";
    sqlite3_free(err);
    throw DatabaseError("database: " + msg);
  }
}

int64_t Database::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }
int Database::changes() const { return sqlite3_changes(db_); }

int64_t Database::scalar(const char* sql, int64_t fallback) {
  Statement st(*this, sql);
  if (!st.step() || st.isNull(0)) return fallback;
  return st.integer(0);
}

Statement::Statement(Database& db, const char* sql) : db_(db) {
  if (sqlite3_prepare_v2(db.db_, sql, -1, &stmt_, nullptr) != SQLITE_OK)
    db.fail(std::string("prepare [") + sql + "]");
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::bind(int index, int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) db_.fail("bind");
  return *this;
}

Statement& Statement::bind(int index, double value) {
  if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) db_.fail("bind");
  return *this;
}

Statement& Statement::bind(int index, const std::string& value) {
  if (sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                        SQLITE_TRANSIENT) != SQLITE_OK)
    db_.fail("bind");
  return *this;
}

Statement& Statement::bind(int index, const char* value) {
  if (!value) return bindNull(index);
  return bind(index, std::string(value));
}

Statement& Statement::bindNull(int index) {
  if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) db_.fail("bind");
  return *this;
}

bool Statement::step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  std::string sql = sqlite3_sql(stmt_) ? sqlite3_sql(stmt_) : "";
  sqlite3_reset(stmt_);
  db_.fail("step [" + sql + "]");
}

void Statement::run() {
  while (step()) {
  }
  reset();
}

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

bool Statement::isNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}
int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }
double Statement::real(int column) const { return sqlite3_column_double(stmt_, column); }

std::string Statement::text(int column, const std::string& fallback) const {
  const unsigned char* t = sqlite3_column_text(stmt_, column);
  if (!t) return fallback;
  return std::string(reinterpret_cast<const char*>(t),
                     static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

Transaction::Transaction(Database& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  if (open_) {
    try {
      db_.exec("ROLLBACK");
    } catch (...) {
    }
  }
}

void Transaction::commit() {
  db_.exec("COMMIT");
  open_ = false;
}

}  // namespace symsim
