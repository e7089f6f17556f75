#include "files/census_database.h"

#include <sqlite3.h>

#include "files/census_schema.h"
#include "model/input_check.h"

namespace dorvanix {

namespace {

void bindInteger(sqlite3_stmt* statement, int column, const nlohmann::ordered_json& value) {
    if (value.is_number_integer()) {
        sqlite3_bind_int64(statement, column, value.get<long long>());
    } else {
        sqlite3_bind_null(statement, column);
    }
}

const nlohmann::ordered_json& field(const nlohmann::ordered_json& row, const char* key) {
    static const nlohmann::ordered_json none;
    const auto found = row.find(key);
    return found == row.end() ? none : *found;
}

}  // namespace

CensusDatabase::CensusDatabase(const std::filesystem::path& target,
                               const std::vector<std::pair<std::string, std::string>>& meta)
    : file_(std::make_unique<AtomicFile>(target, AtomicFile::ByName{})) {
    if (sqlite3_open_v2(file_->temporaryPath().c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        fail("cannot open the database");
    }
    // The whole file is renamed into place only when complete, so SQLite's own journal would
    // guard nothing; the file is synced before the rename.
    execute("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN");
    execute(kCensusSchemaSql);
    if (sqlite3_prepare_v2(db_, "INSERT INTO fibers VALUES (?, ?, ?, ?, ?, ?, ?, ?)", -1, &fiber_,
                           nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db_, "INSERT INTO analysis VALUES (?, ?, ?, ?, ?, ?)", -1, &analysis_,
                           nullptr) != SQLITE_OK) {
        fail("cannot prepare the inserts");
    }
    sqlite3_stmt* metaRow = nullptr;
    if (sqlite3_prepare_v2(db_, "INSERT INTO meta VALUES (?, ?)", -1, &metaRow, nullptr) !=
        SQLITE_OK) {
        fail("cannot prepare the table meta");
    }
    std::vector<std::pair<std::string, std::string>> rows = meta;
    rows.emplace_back("schema_version", std::to_string(kCensusSchemaVersion));
    for (const auto& [key, value] : rows) {
        sqlite3_bind_text(metaRow, 1, key.c_str(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(metaRow, 2, value.c_str(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
        if (sqlite3_step(metaRow) != SQLITE_DONE) {
            sqlite3_finalize(metaRow);
            fail("cannot write the table meta");
        }
        sqlite3_reset(metaRow);
    }
    sqlite3_finalize(metaRow);
}

CensusDatabase::~CensusDatabase() {
    close();
}

void CensusDatabase::close() {
    sqlite3_finalize(fiber_);
    sqlite3_finalize(analysis_);
    fiber_ = analysis_ = nullptr;
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
}

void CensusDatabase::fail(const std::string& what) {
    const std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    close();
    throw FileWriteError("cannot write " + quoteInput(file_->target().string()) + ": " + what +
                         ": " + reason);
}

void CensusDatabase::execute(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail("SQLite");
}

void CensusDatabase::step(sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) fail("cannot add a row");
    sqlite3_reset(statement);
}

void CensusDatabase::add(const CensusRow& row) {
    sqlite3_bind_text(fiber_, 1, row.label.c_str(), static_cast<int>(row.label.size()),
                      SQLITE_STATIC);
    sqlite3_bind_int(fiber_, 2, row.genus);
    sqlite3_bind_int(fiber_, 3, row.m);
    sqlite3_bind_int(fiber_, 4, row.r);
    sqlite3_bind_int(fiber_, 5, row.b);
    sqlite3_bind_text(fiber_, 6, row.branches.c_str(), static_cast<int>(row.branches.size()),
                      SQLITE_STATIC);
    // The column has no type, so a count past 2^63 stays exact as its digits.
    if (row.crustsFitInteger) {
        sqlite3_bind_int64(fiber_, 7, row.crustsInteger);
    } else {
        sqlite3_bind_text(fiber_, 7, row.simpleCrusts.c_str(),
                          static_cast<int>(row.simpleCrusts.size()), SQLITE_STATIC);
    }
    sqlite3_bind_text(fiber_, 8, row.line.c_str(), static_cast<int>(row.line.size()),
                      SQLITE_STATIC);
    step(fiber_);
}

void CensusDatabase::addAnalysis(const std::string& label, const nlohmann::ordered_json& table) {
    for (const nlohmann::ordered_json& row : table) {
        sqlite3_bind_text(analysis_, 1, label.c_str(), static_cast<int>(label.size()),
                          SQLITE_STATIC);
        bindInteger(analysis_, 2, field(row, "chain_count"));
        bindInteger(analysis_, 3, field(row, "gcd"));
        bindInteger(analysis_, 4, field(row, "genus_numerator"));
        bindInteger(analysis_, 5, field(row, "joining_curve_genus"));
        bindInteger(analysis_, 6, field(row, "count"));
        step(analysis_);
    }
}

void CensusDatabase::finish() {
    execute("COMMIT");
    sqlite3_finalize(fiber_);
    sqlite3_finalize(analysis_);
    fiber_ = analysis_ = nullptr;
    if (sqlite3_close(db_) != SQLITE_OK) fail("cannot close the database");
    db_ = nullptr;
    file_->commit();
}

}  // namespace dorvanix
