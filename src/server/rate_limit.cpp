#include "server/rate_limit.h"

#include <algorithm>

namespace vq::server {

namespace {
// Past this many addresses, the full buckets (nothing to remember) go.
constexpr size_t kMostAddresses = 10000;
}  // namespace

bool RateLimit::Take(const std::string& address, Clock::time_point now) {
  if (per_minute_ <= 0) return true;
  const double burst = std::max(1.0, per_minute_);
  auto refilled = [&](const Bucket& bucket) {
    const double minutes = std::chrono::duration<double, std::ratio<60>>(now - bucket.at).count();
    return std::min(burst, bucket.tokens + minutes * per_minute_);
  };
  std::lock_guard<std::mutex> lock(mutex_);
  if (buckets_.size() >= kMostAddresses) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
      it = refilled(it->second) >= burst ? buckets_.erase(it) : std::next(it);
    }
  }
  auto [it, fresh] = buckets_.try_emplace(address, Bucket{burst, now});
  Bucket& bucket = it->second;
  if (!fresh) bucket = Bucket{refilled(bucket), now};
  if (bucket.tokens < 1) return false;
  bucket.tokens -= 1;
  return true;
}

}  // namespace vq::server
