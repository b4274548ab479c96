// A submission to the board as the fuzzer makes it: the first byte gives the
// length of the name as sent in the query (escapes and all), the rest is the
// body. Any of them gets one of the board's answers with a JSON body, never a
// crash; a game stored is stored once, and only under a name the board takes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "server/board.h"
#include "server/names.h"
#include "server/sqlite_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t name_size = std::min<size_t>(data[0] % 48, size - 1);
  const std::string name(reinterpret_cast<const char*>(data + 1), name_size);
  const std::string body(reinterpret_cast<const char*>(data + 1 + name_size), size - 1 - name_size);
  static vq::server::SqliteStore store(":memory:");
  static vq::server::Board board(store);
  const vq::server::Answer answer = board.Submit(name, body);
  const nlohmann::json json = nlohmann::json::parse(answer.body, nullptr, false);
  auto fail = [&](const char* why) {
    std::fprintf(stderr, "%s: %d %s\n", why, answer.status, answer.body.c_str());
    std::abort();
  };
  if (json.is_discarded()) fail("the answer is no JSON");
  switch (answer.status) {
    case 400:
    case 413:
    case 422:
      if (json.value("error", "").empty()) fail("a refusal without its reason");
      return 0;
    case 201: {
      const std::optional<std::string> decoded = vq::server::DecodeQueryValue(name);
      const std::optional<std::string> taken = decoded ? vq::server::CheckName(*decoded) : std::nullopt;
      if (!taken || *taken != json["name"]) fail("stored under a name the board does not take");
      [[fallthrough]];
    }
    case 200: {
      const vq::server::Answer again = board.Submit("again", body);
      if (again.status != 200 || nlohmann::json::parse(again.body)["id"] != json["id"]) fail("stored twice");
      return 0;
    }
    default: fail("an answer the board never gives");
  }
  return 0;
}
