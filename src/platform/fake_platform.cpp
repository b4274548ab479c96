#include "platform/fake_platform.h"

#include <algorithm>

namespace vq {

std::pair<int, int> DefaultImageSize(const std::string& path) {
  auto ends_with = [&](const char* tail) {
    std::string t(tail);
    return path.size() >= t.size() && path.compare(path.size() - t.size(), t.size(), t) == 0;
  };
  if (ends_with("bg.png") || ends_with("title.png")) return {800, 600};
  if (ends_with("numbers.png")) return {200, 20};
  return {30, 30};
}

FakePlatform::~FakePlatform() {
  for (Image* image : live_) delete image;
  for (Music* music : live_music_) delete music;
}

uint32_t FakePlatform::Ticks() {
  now += ticks_cost;
  tick_readings.push_back(now);
  return now;
}

void FakePlatform::Delay(uint32_t ms) {
  delays.push_back(ms);
  now += ms;
}

bool FakePlatform::PollEvent(EventType* record) {
  if (++polls > poll_budget) throw FakeRunaway("poll budget exhausted");
  if (on_poll) on_poll(*this);
  // Once a request to end the program came, it is all a poll reports, as
  // SDL's does after a signal.
  if (quit_taken_) {
    *record = EventType::Quit;
    return true;
  }
  if (input_.TakePadEvent(record)) return true;
  if (events.empty()) return false;
  *record = events.front();
  events.pop_front();
  quit_taken_ = *record == EventType::Quit;
  return true;
}

Image* FakePlatform::LoadImage(const char* path) {
  loads.emplace_back(path);
  if (missing.count(path)) return nullptr;
  auto size = sizes.count(path) ? sizes[path] : DefaultImageSize(path);
  auto* image = new Image{path, size.first, size.second};
  live_.insert(image);
  return image;
}

void FakePlatform::FreeImage(Image* image) {
  if (!image) return;
  if (!live_.erase(image)) throw std::logic_error("image freed twice or never loaded");
  frees.push_back(image->path);
  delete image;
}

void FakePlatform::Blit(Image* image, int x, int y) {
  if (!live_.count(image)) throw std::logic_error("blit of an image that is not loaded");
  blits.push_back({image->path, x, y, 0, 0, image->width, image->height, flips});
}

void FakePlatform::BlitRegion(Image* image, int sx, int sy, int w, int h, int x, int y) {
  if (!live_.count(image)) throw std::logic_error("blit of an image that is not loaded");
  blits.push_back({image->path, x, y, sx, sy, w, h, flips});
}

void FakePlatform::Flip() {
  ++flips;
  if (on_flip) on_flip(*this);
}

bool FakePlatform::OpenAudio() {
  audio_calls.push_back("open");
  return audio_ok;
}

Music* FakePlatform::LoadMusic(const char* path) {
  audio_calls.push_back("load");
  if (!music_file_ok) return nullptr;
  auto* music = new Music{path};
  live_music_.insert(music);
  return music;
}

void FakePlatform::PlayMusicLooped(Music* music) {
  audio_calls.push_back("play");
  playing_ = music;
  music_playing = true;
  FreeStoppedMusic();
}

void FakePlatform::HaltMusic() {
  audio_calls.push_back("halt");
  playing_ = nullptr;
  music_playing = false;
  FreeStoppedMusic();
}

void FakePlatform::ReleaseMusic(Music* music) {
  if (!music) return;
  audio_calls.push_back("release");
  released_.push_back(music);
  FreeStoppedMusic();
}

void FakePlatform::FreeStoppedMusic() {
  auto stopped = [&](Music* m) {
    if (m == playing_) return false;
    audio_calls.push_back("free");
    live_music_.erase(m);
    delete m;
    return true;
  };
  released_.erase(std::remove_if(released_.begin(), released_.end(), stopped), released_.end());
}

}  // namespace vq
