// A thin RAII layer over SQLite: one connection, prepared statements, and
// failures as exceptions. The simulator keeps all its state in one file.
#ifndef SYMSIM_DATABASE_H
#define SYMSIM_DATABASE_H

#include <cstdint>
#include <stdexcept>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace symsim {

// Any failure of the database layer (open, prepare, step, constraint).
class DatabaseError : public std::runtime_error {
 public:
  explicit DatabaseError(const std::string& what) : std::runtime_error(what) {}
};

class Database;

// One prepared statement. Bind parameters are numbered from 1, result
// columns from 0. step() returns true while a row is available.
class Statement {
 public:
  Statement(Database& db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int index, int64_t value);
  Statement& bind(int index, int value) { return bind(index, static_cast<int64_t>(value)); }
  Statement& bind(int index, double value);
  Statement& bind(int index, const std::string& value);
  Statement& bind(int index, const char* value);  // null binds SQL NULL
  Statement& bindNull(int index);

  bool step();
  // Runs a statement that yields no rows; resets it afterwards.
  void run();
  void reset();

  bool isNull(int column) const;
  int64_t integer(int column) const;
  double real(int column) const;
  // Text of the column; an SQL NULL reads as `fallback`.
  std::string text(int column, const std::string& fallback = "") const;

 private:
  Database& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// A connection with WAL journaling and a busy time-out, so that several
// tool processes may share one file.
class Database {
 public:
  // Opens `path`. With `create` false a missing file is an error.
  Database(const std::string& path, bool create);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  void exec(const std::string& sql);
  int64_t lastInsertId() const;
  int changes() const;
  sqlite3* handle() { return db_; }
  const std::string& path() const { return path_; }

  // Reads one integer (or text) from a query that yields at most one row.
  int64_t scalar(const char* sql, int64_t fallback);

 private:
  friend class Statement;
  [[noreturn]] void fail(const std::string& context) const;

  sqlite3* db_ = nullptr;
  std::string path_;
};

// BEGIN IMMEDIATE on construction; rolls back in the destructor unless
// commit() was called. Taking the write lock at the start means a command
// never has to upgrade a read lock half way through.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit();

 private:
  Database& db_;
  bool open_ = true;
};

}  // namespace symsim

#endif  // SYMSIM_DATABASE_H
