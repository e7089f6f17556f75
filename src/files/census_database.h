#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "files/atomic_file.h"
#include "files/census_records.h"

struct sqlite3;
struct sqlite3_stmt;

namespace dorvanix {

// The census as a SQLite database with the tables of schema/census.sql, written through SQLite's
// own library into a named temporary beside the target and renamed into place by finish(): the
// file is complete or absent, like every other file (an earlier one stays as it was until then).
// Throws FileWriteError, naming the file, for anything SQLite or the file system refuses.
class CensusDatabase {
  public:
    // `meta`: the rows of the table meta besides schema_version, such as the program, its
    // version and the command line.
    CensusDatabase(const std::filesystem::path& target,
                   const std::vector<std::pair<std::string, std::string>>& meta);
    ~CensusDatabase();
    CensusDatabase(const CensusDatabase&) = delete;
    CensusDatabase& operator=(const CensusDatabase&) = delete;

    void add(const CensusRow& row);
    // The rows of the fiber's (N, d, h) table, as analysisTableJson gives them.
    void addAnalysis(const std::string& label, const nlohmann::ordered_json& table);
    // Ends the transaction, closes the database and puts the file in place.
    void finish();

  private:
    [[noreturn]] void fail(const std::string& what);
    void execute(const char* sql);
    void step(sqlite3_stmt* statement);
    void close();

    std::unique_ptr<AtomicFile> file_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* fiber_ = nullptr;
    sqlite3_stmt* analysis_ = nullptr;
};

}  // namespace dorvanix
