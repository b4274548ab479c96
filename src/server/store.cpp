#include "server/store.h"

namespace vq::server {

std::string NewerSchemaMessage(int found) {
  return "the board's database has tables of version " + std::to_string(found) + ", newer than the version " +
         std::to_string(kSchemaVersion) + " this velquadro-server knows: run the newer velquadro-server that made them";
}

}  // namespace vq::server
