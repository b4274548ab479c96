// Feeds any bytes to the records reader, as text and as a file. What it reads
// must be in order (limits ascending, each table best first, at most ten), the
// file reader must agree with the text reader, and what the writer writes of
// it must read back the same: the tables, and the lines it could not read kept
// as they were, never turned into records by a rewrite.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "saves/records.h"
#include "scratch_file.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

void CheckOrder(const vq::Records& records) {
  for (size_t t = 0; t < records.tables.size(); ++t) {
    const vq::RecordTable& table = records.tables[t];
    if (t > 0 && records.tables[t - 1].time_limit >= table.time_limit) Fail("tables out of order");
    if (table.records.size() > vq::kRecordsPerMode) Fail("more than ten kept");
    for (size_t i = 1; i < table.records.size(); ++i) {
      if (table.records[i - 1].score < table.records[i].score) Fail("a table not best first");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vq::Records records;
  const bool ours = vq::ParseRecords(text, &records);
  if (!ours && (!records.tables.empty() || !records.unread_lines.empty())) Fail("another version's file gave records");

  static const vq::fuzz::ScratchFile scratch("records.txt");
  std::FILE* file = std::fopen(scratch.file.c_str(), "wb");
  if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size)) std::abort();
  std::fclose(file);
  vq::Records from_file;
  const vq::RecordsRead read = vq::ReadRecordsFile(scratch.file.c_str(), &from_file);
  // The writer's text stands for what was read: equal texts, equal records.
  const std::string written = vq::FormatRecords(records);
  if ((read == vq::RecordsRead::kRead) != ours || vq::FormatRecords(from_file) != written) {
    Fail("the file reader disagrees");
  }
  if (!ours) return 0;

  CheckOrder(records);
  vq::Records again;
  if (!vq::ParseRecords(written, &again) || vq::FormatRecords(again) != written) {
    Fail("what was written reads back otherwise");
  }
  return 0;
}
