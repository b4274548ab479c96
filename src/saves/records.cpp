#include "saves/records.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "saves/data_folder.h"
#include "saves/save_file.h"

namespace vq {

namespace {

constexpr const char* kVersionPrefix = "velquadro records ";
constexpr const char* kVersionLine = "velquadro records 1";
// Time attack offers 10 to 1000 s; other versions may offer more, and their
// tables are kept all the same.
constexpr int64_t kMostTimeLimit = 1000000;

// A decimal number of 1 to 10 digits, no sign, at most most; advances at.
bool ReadNumber(const std::string& line, size_t& at, int64_t most, int64_t* value) {
  const size_t start = at;
  int64_t n = 0;
  while (at < line.size() && line[at] >= '0' && line[at] <= '9' && at - start < 10) n = n * 10 + (line[at++] - '0');
  if (at == start || at - start > 10 || n > most) return false;
  *value = n;
  return true;
}

bool ReadSpace(const std::string& line, size_t& at) {
  const size_t start = at;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return at > start;
}

// Exactly width digits, then the separator when one is given.
bool ReadField(const std::string& line, size_t& at, size_t width, char separator, int32_t* value) {
  int64_t n = 0;
  for (size_t i = 0; i < width; ++i, ++at) {
    if (at >= line.size() || line[at] < '0' || line[at] > '9') return false;
    n = n * 10 + (line[at] - '0');
  }
  *value = static_cast<int32_t>(n);
  if (separator == 0) return true;
  return at < line.size() && line[at++] == separator;
}

// A day of the calendar: year 1 to 9999, and no 31st of April nor 29th of
// February outside a leap year.
bool RealDate(const RecordDate& date) {
  static constexpr int32_t kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1) return false;
  const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
  return date.day <= (date.month == 2 && !leap ? 28 : kDays[date.month - 1]);
}

// "limit score seconds YYYY-MM-DD", fields apart by spaces or tabs.
bool ParseRecordLine(const std::string& line, int32_t* time_limit, Record* record) {
  size_t at = 0;
  int64_t limit = 0, score = 0, seconds = 0;
  RecordDate& date = record->date;
  if (!ReadNumber(line, at, kMostTimeLimit, &limit) || !ReadSpace(line, at)) return false;
  if (!ReadNumber(line, at, INT32_MAX, &score) || !ReadSpace(line, at)) return false;
  if (!ReadNumber(line, at, INT32_MAX, &seconds) || !ReadSpace(line, at)) return false;
  if (!ReadField(line, at, 4, '-', &date.year) || !ReadField(line, at, 2, '-', &date.month) ||
      !ReadField(line, at, 2, 0, &date.day)) {
    return false;
  }
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  if (at != line.size() || !RealDate(date)) return false;
  *time_limit = static_cast<int32_t>(limit);
  record->score = static_cast<int32_t>(score);
  record->seconds = static_cast<int32_t>(seconds);
  return true;
}

RecordTable& TableFor(Records& records, int32_t time_limit) {
  auto at = std::lower_bound(records.tables.begin(), records.tables.end(), time_limit,
                             [](const RecordTable& table, int32_t limit) { return table.time_limit < limit; });
  if (at == records.tables.end() || at->time_limit != time_limit) at = records.tables.insert(at, {time_limit, {}});
  return *at;
}

}  // namespace

bool ParseRecords(const std::string& text, Records* records) {
  *records = Records{};
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string as_written = text.substr(start, end - start);
    start = end + 1;
    // A line may end in the carriage return of a file edited elsewhere. A
    // line kept unread is kept as it was written, so that a rewrite never
    // reads it otherwise: "x\r\r" read as "x\r" must not come back as "x".
    std::string line = as_written;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == kVersionLine || line.empty() || line[0] == '#') continue;
    if (line.compare(0, std::char_traits<char>::length(kVersionPrefix), kVersionPrefix) == 0) {
      *records = Records{};
      return false;
    }
    int32_t limit = 0;
    Record record{};
    if (ParseRecordLine(line, &limit, &record)) {
      TableFor(*records, limit).records.push_back(record);
    } else {
      records->unread_lines.push_back(as_written);
    }
  }
  // A file put in order by hand is read in order; among equal scores the
  // file's order stands for the order they were played in.
  for (RecordTable& table : records->tables) {
    std::stable_sort(table.records.begin(), table.records.end(),
                     [](const Record& a, const Record& b) { return a.score > b.score; });
    if (table.records.size() > kRecordsPerMode) table.records.resize(kRecordsPerMode);
  }
  return true;
}

std::string FormatRecords(const Records& records, size_t most, int* left_out) {
  std::string text =
      std::string(kVersionLine) +
      "\n# time limit in s (0: untimed), score, seconds played, date; each mode's ten best, best first\n";
  int left = 0;
  // The records first, then the lines kept unread, as long as they fit.
  auto add = [&text, &left, most](const std::string& line) {
    if (text.size() + line.size() + 1 > most) {
      ++left;
      return;
    }
    text += line;
    text += '\n';
  };
  char line[96];
  for (const RecordTable& table : records.tables) {
    for (const Record& r : table.records) {
      std::snprintf(line, sizeof line, "%d %d %d %04d-%02d-%02d", static_cast<int>(table.time_limit),
                    static_cast<int>(r.score), static_cast<int>(r.seconds), static_cast<int>(r.date.year),
                    static_cast<int>(r.date.month), static_cast<int>(r.date.day));
      add(line);
    }
  }
  for (const std::string& kept : records.unread_lines) add(kept);
  if (left_out) *left_out = left;
  return text;
}

const RecordTable* FindTable(const Records& records, int32_t time_limit) {
  for (const RecordTable& table : records.tables) {
    if (table.time_limit == time_limit && !table.records.empty()) return &table;
  }
  return nullptr;
}

int InsertRecord(Records& records, int32_t time_limit, const Record& record) {
  if (const RecordTable* table = FindTable(records, time_limit)) {
    if (table->records.size() >= kRecordsPerMode && table->records.back().score >= record.score) return 0;
  }
  std::vector<Record>& kept = TableFor(records, time_limit).records;
  auto at = std::find_if(kept.begin(), kept.end(), [&record](const Record& r) { return r.score < record.score; });
  const int place = static_cast<int>(at - kept.begin()) + 1;
  kept.insert(at, record);
  if (kept.size() > kRecordsPerMode) kept.resize(kRecordsPerMode);
  return place;
}

RecordsRead ReadRecordsFile(const char* path, Records* records) {
  *records = Records{};
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? RecordsRead::kMissing : RecordsRead::kUnreadable;
  struct stat info;
  std::string text;
  bool read_whole =
      fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) <= kRecordsFileMost;
  if (read_whole) {
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 || text.size() + static_cast<size_t>(n) > kRecordsFileMost) read_whole = false;
      if (n <= 0 || !read_whole) break;
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  close(fd);
  if (!read_whole || !ParseRecords(text, records)) {
    *records = Records{};
    return RecordsRead::kUnreadable;
  }
  return RecordsRead::kRead;
}

int StoreRecord(const char* path, int32_t time_limit, const Record& record) {
  Records records;
  if (ReadRecordsFile(path, &records) == RecordsRead::kUnreadable) {
    TellNotSaved(path, "it cannot be read as records of this version, left as it is");
    return 0;
  }
  const int place = InsertRecord(records, time_limit, record);
  if (place == 0) return 0;
  int left_out = 0;
  const std::string text = FormatRecords(records, kRecordsFileMost, &left_out);
  if (left_out > 0) {
    std::fprintf(stderr, "velquadro: %s: %d lines left out, to keep it within %zu bytes\n", path, left_out,
                 kRecordsFileMost);
  }
  return SaveFile(path, text.data(), text.size()) ? place : 0;
}

Records ReadKeptRecords() {
  Records records;
  const std::string path = DataFilePath(kRecordsName);
  if (!path.empty()) ReadRecordsFile(path.c_str(), &records);
  return records;
}

RecordDate LocalDate(std::time_t time) {
  struct tm local;
  if (!localtime_r(&time, &local)) return RecordDate{1970, 1, 1};
  // A clock beyond the four-digit years keeps a date the file can hold.
  return RecordDate{std::clamp(local.tm_year + 1900, 1, 9999), local.tm_mon + 1, local.tm_mday};
}

}  // namespace vq
