// How many submissions each address may send: a bucket per address that
// refills at the rate a minute and holds a minute's worth, so that a player
// sending a few games at once is never refused and a flood soon is.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace vq::server {

class RateLimit {
 public:
  using Clock = std::chrono::steady_clock;

  // per_minute 0: no limit.
  explicit RateLimit(double per_minute) : per_minute_(per_minute) {}

  // Takes one submission of address now; false past the rate.
  bool Take(const std::string& address, Clock::time_point now = Clock::now());

 private:
  struct Bucket {
    double tokens;
    Clock::time_point at;
  };
  double per_minute_;
  std::mutex mutex_;
  std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace vq::server
