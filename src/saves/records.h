// The records: the ten best results of the untimed game and of each Time
// attack limit, with their seconds and dates, kept in one text file beside the
// hiscore (docs/records-format.md describes it). The hiscore file goes on as
// it was; the records are a table of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace vq {

constexpr const char* kRecordsName = "records.txt";
constexpr int kRecordsPerMode = 10;
// Larger files are not read, and so never rewritten: the writer leaves out
// what does not fit.
constexpr size_t kRecordsFileMost = 1 << 20;

struct RecordDate {
  int32_t year;
  int32_t month;
  int32_t day;
};

struct Record {
  int32_t score;
  int32_t seconds;  // whole seconds played
  RecordDate date;  // local date of the game's end
};

// The results of one mode, best first; for equal scores the earlier game
// first.
struct RecordTable {
  int32_t time_limit;  // 0: the untimed game
  std::vector<Record> records;
};

struct Records {
  std::vector<RecordTable> tables;  // by time limit, smallest first
  // Lines this version cannot read (another version's, or damaged): skipped,
  // and written back as they were after the tables.
  std::vector<std::string> unread_lines;
};

enum class RecordsRead {
  kMissing,     // no file: an empty table, which a store creates
  kRead,        // read; lines that could not be read are in unread_lines
  kUnreadable,  // there but not readable, or of another version: never written over
};

// Reads the text of a records file. Returns false when it is another
// version's file, whose lines this version must not rewrite.
bool ParseRecords(const std::string& text, Records* records);

// The file as this version writes it: the version line, a comment, every
// mode's table in order, then the lines it could not read; at most most
// bytes, leaving out the lines that do not fit (the unread ones first), whose
// number goes to *left_out when it is given.
std::string FormatRecords(const Records& records, size_t most = kRecordsFileMost, int* left_out = nullptr);

// The table of a mode; nullptr when none of its games was kept.
const RecordTable* FindTable(const Records& records, int32_t time_limit);

// Enters a result into its mode's table: returns its place there (1 for a new
// best), or 0 when it is not among the ten best, which leaves the table as it
// was. A result equal to kept ones goes after them: they came first.
int InsertRecord(Records& records, int32_t time_limit, const Record& record);

// Reads the file at path; a plain file only, never waiting.
RecordsRead ReadRecordsFile(const char* path, Records* records);

// Reads the records file at path anew and enters the result, written the
// careful way SaveFile writes; hold the SaveLock meanwhile. Returns its place
// in the file as stored; 0 when it is not among its mode's ten best, or when
// nothing could be stored (which is told on standard error): a file that
// cannot be read is never written over, nor one that cannot be written.
int StoreRecord(const char* path, int32_t time_limit, const Record& record);

// The records of this copy's data folder (beside hiscore.dat), read; empty
// when there are none or they cannot be read.
Records ReadKeptRecords();

// The date of a wall-clock time in the local time zone.
RecordDate LocalDate(std::time_t time);

}  // namespace vq
